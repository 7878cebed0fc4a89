#include "common/ImageCompare.h"

#include <QDir>
#include <QStandardPaths>

namespace testsupport {
namespace {

QString failureFolder()
{
    QString dir = qEnvironmentVariable("DEPTHLOOM_TEST_OUTPUT");
    if (dir.isEmpty()) {
        dir = QDir::tempPath() + QStringLiteral("/depthloom-test-failures");
    }
    QDir().mkpath(dir);
    return dir;
}

QString safeName(QString label)
{
    for (QChar& c : label) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('-')) {
            c = QLatin1Char('_');
        }
    }
    return label;
}

} // namespace

bool imagesEqual(const QImage& actual, const QImage& expected, const QString& label,
                 QString* message)
{
    QString problem;
    if (actual.size() != expected.size()) {
        problem = QStringLiteral("size %1x%2, expected %3x%4")
                      .arg(actual.width())
                      .arg(actual.height())
                      .arg(expected.width())
                      .arg(expected.height());
    } else {
        const QImage a = actual.convertToFormat(QImage::Format_RGB32);
        const QImage e = expected.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < a.height() && problem.isEmpty(); ++y) {
            const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
            const auto* re = reinterpret_cast<const QRgb*>(e.constScanLine(y));
            for (int x = 0; x < a.width(); ++x) {
                if ((ra[x] & 0xFFFFFF) != (re[x] & 0xFFFFFF)) {
                    problem = QStringLiteral("first difference at (%1, %2): #%3, expected #%4")
                                  .arg(x)
                                  .arg(y)
                                  .arg(ra[x] & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                                  .arg(re[x] & 0xFFFFFF, 6, 16, QLatin1Char('0'));
                    break;
                }
            }
        }
    }
    if (problem.isEmpty()) {
        return true;
    }
    const QString base = failureFolder() + QLatin1Char('/') + safeName(label);
    actual.save(base + QStringLiteral("_actual.png"));
    expected.save(base + QStringLiteral("_expected.png"));
    if (message) {
        *message = problem + QStringLiteral(" (pictures saved as %1_*.png)").arg(base);
    }
    return false;
}

} // namespace testsupport
