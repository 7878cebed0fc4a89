// Runs on a real X server without a window manager, where only the window itself can make it
// cover the screen.

#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "output/TfmScreen.h"
#include "render/RasterImage.h"

#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <algorithm>

class FullScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void coversTheScreen()
    {
        RasterImage picture(300, 201);
        for (int y = 0; y < picture.height(); ++y) {
            QRgb* row = picture.scanLine(y);
            for (int x = 0; x < picture.width(); ++x) {
                row[x] = qRgb(x & 0xFF, y, 0x80);
            }
        }
        TfmScreen screen(picture);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        const QRect whole = screen.screen()->geometry();
        QTRY_COMPARE(screen.frameGeometry(), whole);
        QVERIFY(screen.isFullScreen());

        // The screen as the user sees it: black with the picture in the middle, nothing else.
        // The top, 283.5, rounds to the even 284.
        QCOMPARE(whole.size(), QSize(1024, 768));
        QImage expected(whole.size(), QImage::Format_RGB32);
        expected.fill(Qt::black);
        for (int y = 0; y < picture.height(); ++y) {
            std::copy_n(picture.scanLine(y), picture.width(),
                        reinterpret_cast<QRgb*>(expected.scanLine(284 + y)) + 362);
        }
        QImage shot;
        static_cast<void>(QTest::qWaitFor([&] {
            shot = screen.screen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
            return shot == expected;
        }));
        DL_COMPARE_IMAGES(shot, expected);
    }
};

DEPTHLOOM_TEST_CLASS(FullScreenTest);
#include "FullScreenTest.moc"
