#pragma once

#include <QImage>
#include <QString>
#include <QTest>

namespace testsupport {

// Compares two pictures pixel for pixel on their RGB bytes (alpha is ignored: rasters are
// opaque). On a difference returns false, fills `message` with the size mismatch or the first
// differing pixel, and saves both pictures as PNG under $DEPTHLOOM_TEST_OUTPUT (or the temp
// folder) named after `label`, so a failure can be looked at.
bool imagesEqual(const QImage& actual, const QImage& expected, const QString& label,
                 QString* message);

} // namespace testsupport

#define DL_COMPARE_IMAGES(actual, expected)                                                        \
    do {                                                                                           \
        QString dlMessage_;                                                                        \
        if (!testsupport::imagesEqual((actual), (expected),                                        \
                                      QString::fromLatin1(QTest::currentTestFunction()) +          \
                                          QLatin1Char('_') +                                       \
                                          QString::fromLatin1(QTest::currentDataTag()),            \
                                      &dlMessage_))                                                \
            QFAIL(qPrintable(dlMessage_));                                                         \
    } while (false)
