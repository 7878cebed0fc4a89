#include "common/TestMain.h"

#ifdef DEPTHLOOM_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif
#include <QTest>

#include <utility>

namespace testsupport {
namespace {

std::vector<std::pair<const char*, Factory>>& registry()
{
    static std::vector<std::pair<const char*, Factory>> classes;
    return classes;
}

} // namespace

bool registerTestClass(const char* name, Factory factory)
{
    registry().emplace_back(name, std::move(factory));
    return true;
}

} // namespace testsupport

int main(int argc, char** argv)
{
    TestApplication app(argc, argv);
    int failures = 0;
    for (auto& [name, factory] : testsupport::registry()) {
        std::unique_ptr<QObject> test = factory();
        if (QTest::qExec(test.get(), argc, argv) != 0) {
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
