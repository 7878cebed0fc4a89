// Runs on a real X server without a window manager, where only the window itself can make it
// cover the screen.

#include "common/TestMain.h"
#include "output/TfmScreen.h"
#include "raster/RasterImage.h"

#include <QScreen>
#include <QTest>

class FullScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void coversTheScreen()
    {
        const RasterImage picture(300, 200);
        TfmScreen screen(picture);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QTRY_COMPARE(screen.frameGeometry(), screen.screen()->geometry());
        QCOMPARE(screen.screen()->geometry().size(), QSize(1024, 768));
        QVERIFY(screen.isFullScreen());
    }
};

DEPTHLOOM_TEST_CLASS(FullScreenTest);
#include "FullScreenTest.moc"
