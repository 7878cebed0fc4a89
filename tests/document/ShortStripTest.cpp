#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "document/BatchCommands.h"
#include "render/LiveStereogram.h"
#include "render/RenderFixtures.h"
#include "render/StereogramRenderer.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <limits>

// A pattern strip shorter than the depth map repeats downwards, in Make 3D, in the live preview
// and in the batch command alike: the picture is the one of the strip repeated by hand to the
// depth map's height.
class ShortStripTest final : public QObject
{
    Q_OBJECT

private slots:
    void repeatsDownwards_data()
    {
        QTest::addColumn<QString>("renderer");
        for (const char* renderer :
             {"Make 3D", "live preview", "live preview, strip painted", "batch command"}) {
            QTest::newRow(renderer) << QString::fromLatin1(renderer);
        }
    }
    void repeatsDownwards()
    {
        QFETCH(QString, renderer);
        // Three repeats and a part; the box's right edge sends pixels to the fallback, 20 up.
        RasterImage strip = patternStrip(40, 30);
        RasterImage depth = filled(120, 100, colorref::grey(58));
        for (int y = 10; y < 95; ++y) {
            for (int x = 30; x < 80; ++x) {
                depth.setPixel(x, y, colorref::grey(150));
            }
        }
        QImage picture;
        if (renderer == QLatin1String("Make 3D")) {
            picture = StereogramRenderer::renderAll(strip, depth).image();
        } else if (renderer.startsWith(QLatin1String("live preview"))) {
            LiveStereogram live(strip, depth);
            QVERIFY(live.render(std::numeric_limits<qint64>::max()));
            if (renderer.endsWith(QLatin1String("painted"))) {
                for (int y = 3; y < 6; ++y) {
                    std::fill_n(strip.scanLine(y), 10, qRgb(250, 10, 10));
                }
                live.rowsChanged(3, 5);
                QVERIFY(live.render(std::numeric_limits<qint64>::max()));
            }
            picture = live.picture().image();
        } else {
            QTemporaryDir dir;
            QVERIFY(strip.save(dir.filePath("strip.bmp")) && depth.save(dir.filePath("depth.bmp")));
            const QString error = make3dFiles(dir.filePath("strip.bmp"), dir.filePath("depth.bmp"),
                                              dir.filePath("out.bmp"));
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QVERIFY(picture.load(dir.filePath("out.bmp")));
        }
        RasterImage repeated(strip.width(), depth.height());
        for (int y = 0; y < depth.height(); ++y) {
            std::memcpy(repeated.scanLine(y), strip.constScanLine(y % strip.height()),
                        size_t(strip.width()) * sizeof(QRgb));
        }
        DL_COMPARE_IMAGES(picture, StereogramRenderer::renderAll(repeated, depth).image());
    }
};

DEPTHLOOM_TEST_CLASS(ShortStripTest);
#include "ShortStripTest.moc"
