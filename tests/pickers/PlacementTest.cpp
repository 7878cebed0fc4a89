#include "pickers/Placement.h"

#include "common/TestMain.h"

#include <QTest>

class PlacementTest : public QObject
{
    Q_OBJECT

private slots:
    void besideMainWindow_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("mainFrame");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("left");
        QTest::addColumn<QList<QRect>>("taken");
        QTest::addColumn<QPoint>("corner");
        const QRect screen(0, 0, 1024, 768);
        const QRect main(230, 129, 572, 483);
        const QSize palette(112, 298);
        const QSize picker(80, 118);
        QTest::newRow("right") << screen << main << palette << false << QList<QRect>{}
                               << QPoint(810, 129);
        QTest::newRow("no room right") << QRect(0, 0, 900, 768) << main << palette << false
                                       << QList<QRect>{} << QPoint(110, 129);
        QTest::newRow("below a taken place")
            << screen << main << picker << true << QList<QRect>{QRect(QPoint(110, 129), palette)}
            << QPoint(142, 435);
        QTest::newRow("no room anywhere") << QRect(0, 0, 800, 600) << QRect(118, 75, 572, 483)
                                          << palette << false << QList<QRect>{} << QPoint(688, 75);
    }

    void besideMainWindow()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, mainFrame);
        QFETCH(QSize, size);
        QFETCH(bool, left);
        QFETCH(QList<QRect>, taken);
        QTEST(placement::besideMainWindow(mainFrame, size, screen,
                                          left ? placement::Side::Left : placement::Side::Right,
                                          taken),
              "corner");
    }

    // Over a maximised window: `allowed` is the screen right of the tool bar and below the bars.
    void overMainWindow_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QRect>>("taken");
        QTest::addColumn<QRect>("frame");
        const QSize preview(400, 300);
        const QRect palette(1400, 75, 200, 300);
        QTest::newRow("top right") << preview << QList<QRect>{} << QRect(1200, 75, 400, 300);
        QTest::newRow("left of a palette")
            << preview << QList<QRect>{palette} << QRect(992, 75, 400, 300);
        QTest::newRow("next row down when the top is full")
            << QSize(200, 100) << QList<QRect>{palette, QRect(60, 75, 1332, 50)}
            << QRect(1192, 133, 200, 100);
        QTest::newRow("cut to the room")
            << QSize(2000, 1200) << QList<QRect>{} << QRect(60, 75, 1540, 925);
    }
    void overMainWindow()
    {
        QFETCH(QSize, size);
        QFETCH(QList<QRect>, taken);
        QTEST(placement::overMainWindow(QRect(60, 75, 1540, 925), size, taken), "frame");
    }
};

DEPTHLOOM_TEST_CLASS(PlacementTest);
#include "PlacementTest.moc"
