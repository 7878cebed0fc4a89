#include "common/TestMain.h"

#ifdef DEPTHLOOM_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif
#include <QSettings>
#include <QTemporaryDir>
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
    // What the editor remembers between runs goes to a folder of this run, never the user's;
    // programs the tests start inherit it.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
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
