#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

// One test executable per source folder, one test class per topic. Each class registers itself
// with DEPTHLOOM_TEST_CLASS(Name) in its .cpp; the shared main runs them all in turn and fails
// when any of them fails. Arguments after the executable name go to every class (so
// `tst_render -v2` or `tst_render rasterOps` work as with a single QTest class).
namespace testsupport {

using Factory = std::function<std::unique_ptr<QObject>()>;

bool registerTestClass(const char* name, Factory factory);

} // namespace testsupport

#define DEPTHLOOM_TEST_CLASS(Class)                                                                \
    static const bool Class##_registered =                                                         \
        testsupport::registerTestClass(#Class, [] { return std::unique_ptr<QObject>(new Class); })
