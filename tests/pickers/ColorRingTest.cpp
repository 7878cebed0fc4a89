#include "pickers/ColorRing.h"

#include "common/TestMain.h"

#include <QTest>

#include <cmath>
#include <numbers>

namespace {

// A picker as the window creates it at its design width: centre 94, radii 92 and 74, the
// square 100 pixels wide from 44.
ColorRing designRing()
{
    ColorRing ring;
    QSize window(ColorRing::DesignWidth, 0);
    ring.create(window);
    return ring;
}

constexpr int C = 94;
constexpr ColorRef Nothing = colorref::Invalid;

} // namespace

class ColorRingTest : public QObject
{
    Q_OBJECT

private slots:
    // The centre colour is given before the picture is painted; it is the one painted there.
    void creation()
    {
        ColorRing ring;
        QSize window(ColorRing::DesignWidth, 0);
        QCOMPARE(ring.create(window), colorref::rgb(191, 191, 63));
        QCOMPARE(window, QSize(204, 274));
        QCOMPARE(ring.HalfSide(), 50);
        QCOMPARE(ring.raster().image().size(), QSize(204, 274));
        for (const int width : {ColorRing::MinWidth, 177, ColorRing::MaxWidth, 30}) {
            ColorRing other;
            QSize size(width, 0);
            const ColorRef centre = other.create(size);
            QCOMPARE(other.raster().pixel(other.RingCenter, other.RingCenter), centre);
        }
    }

    void picks_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<ColorRef>("color"); // Nothing when the release does nothing
        QTest::addColumn<int>("angle");
        QTest::addColumn<ColorRef>("hue");
        QTest::addColumn<QPoint>("squareMarker");
        const ColorRef yellow = colorref::rgb(255, 255, 0);
        const QPoint marker(72, 81);
        // Ring picks read the colour at (74, 83): square pixel (30, 39) of the new hue.
        QTest::newRow("ring, straight up")
            << QPoint(C, C - 83) << colorref::rgb(146, 146, 69) << 0 << yellow << marker;
        QTest::newRow("ring, straight down") << QPoint(C, C + 83) << colorref::rgb(69, 69, 146)
                                             << 180 << colorref::rgb(0, 0, 255) << marker;
        QTest::newRow("ring, level left") << QPoint(C - 83, C) << colorref::rgb(69, 146, 107) << 90
                                          << colorref::rgb(0, 255, 127) << marker;
        QTest::newRow("ring, level right") << QPoint(C + 83, C) << colorref::rgb(146, 69, 107)
                                           << -90 << colorref::rgb(255, 0, 127) << marker;
        QTest::newRow("ring, inner bound 77") << QPoint(C - 77, C) << colorref::rgb(69, 146, 107)
                                              << 90 << colorref::rgb(0, 255, 127) << marker;
        QTest::newRow("ring, outer bound 89") << QPoint(C - 89, C) << colorref::rgb(69, 146, 107)
                                              << 90 << colorref::rgb(0, 255, 127) << marker;
        QTest::newRow("distance 76: beyond the square's margin")
            << QPoint(C, C - 76) << Nothing << 0 << yellow << marker;
        QTest::newRow("distance 90: beyond the square's margin")
            << QPoint(C, C + 90) << Nothing << 0 << yellow << marker;
        QTest::newRow("square, (10, 10)") << QPoint(10, 10) << Nothing << 0 << yellow << marker;
        QTest::newRow("square, margin 4 left")
            << QPoint(40, 100) << Nothing << 0 << yellow << marker;
        // Clamped to x = 44, read one row above: square pixel (0, 55), a grey.
        QTest::newRow("square, margin 3 left, clamped")
            << QPoint(41, 100) << colorref::grey(140) << 0 << yellow << QPoint(45, 101);
        QTest::newRow("square, (42, 100), clamped")
            << QPoint(42, 100) << colorref::grey(140) << 0 << yellow << QPoint(45, 101);
        // Square pixel (80, 19) of yellow.
        QTest::newRow("square, inside")
            << QPoint(124, 64) << colorref::rgb(213, 213, 9) << 0 << yellow << QPoint(125, 65);
    }

    // The ring's bounds are exclusive; a square pick keeps the hue, a ring pick the marker.
    void picks()
    {
        QFETCH(QPoint, at);
        QFETCH(ColorRef, color);
        ColorRing ring = designRing();
        const std::optional<ColorRef> picked = ring.pick(at.x(), at.y());
        QCOMPARE(picked.value_or(Nothing), color);
        QTEST(ring.HueAngle, "angle");
        QTEST(colorref::rgb(ring.HueRed, ring.HueGreen, ring.HueBlue), "hue");
        QTEST(ring.SquareMarker, "squareMarker");
        const double distance = std::hypot(at.x() - C, at.y() - C);
        const bool onRing = distance > 76 && distance < 90;
        QCOMPARE(ring.HueMarker, onRing ? at : QPoint(78, 10));
    }

    void spokes_data()
    {
        QTest::addColumn<int>("angle");
        QTest::addColumn<ColorRef>("color");
        QTest::newRow("-60, red") << -60 << colorref::rgb(255, 0, 0);
        QTest::newRow("-30, orange") << -30 << colorref::rgb(255, 128, 0);
        QTest::newRow("0, yellow") << 0 << colorref::rgb(255, 255, 0);
        QTest::newRow("30") << 30 << colorref::rgb(128, 255, 0);
        QTest::newRow("90") << 90 << colorref::rgb(0, 255, 128);
        QTest::newRow("150") << 150 << colorref::rgb(0, 128, 255);
        QTest::newRow("180, blue") << 180 << colorref::rgb(0, 0, 255);
        QTest::newRow("210") << 210 << colorref::rgb(128, 0, 255);
        QTest::newRow("270") << 270 << colorref::rgb(255, 0, 128);
        QTest::newRow("300, red") << 300 << colorref::rgb(255, 0, 0);
    }

    // The ring between the radii shows the spoke of its angle; neighbouring spokes overlap, so
    // a pixel may show one a degree or two away.
    void spokes()
    {
        QFETCH(int, angle);
        QFETCH(ColorRef, color);
        QCOMPARE(ColorRing::spokeColor(angle), color | colorref::KindPaletteRgb);
        ColorRing ring = designRing();
        const double rad = angle / 180.0 * std::numbers::pi;
        const int x = C - int(std::lround(std::sin(rad) * 83));
        const int y = C - int(std::lround(std::cos(rad) * 83));
        const ColorRef shown = ring.raster().pixel(x, y);
        bool near = false;
        for (int i = angle - 2; i <= angle + 2; ++i) {
            near = near || shown == (ColorRing::spokeColor(i) & 0xFFFFFF);
        }
        QVERIFY2(near, qPrintable(QString::number(shown, 16)));
    }

    void resize_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("given");
        QTest::addColumn<bool>("redrawn");
        QTest::addColumn<QPoint>("hueMarker");
        QTest::addColumn<QPoint>("squareMarker");
        QTest::newRow("design width: the height only")
            << QSize(204, 274) << QSize(204, 264) << false << QPoint(11, 94) << QPoint(72, 81);
        QTest::newRow("wider than 250")
            << QSize(300, 200) << QSize(250, 310) << true << QPoint(23, 117) << QPoint(125, 125);
        QTest::newRow("220") << QSize(220, 500) << QSize(220, 280) << true << QPoint(20, 102)
                             << QPoint(110, 110);
        QTest::newRow("narrower than the least")
            << QSize(100, 100) << QSize(150, 210) << true << QPoint(13, 67) << QPoint(75, 75);
    }

    // The height always follows the width; only a new width moves the markers and repaints.
    // The hue marker goes to the last hue's angle, here 90 degrees (a pick level left).
    void resize()
    {
        QFETCH(QSize, asked);
        QFETCH(bool, redrawn);
        ColorRing ring = designRing();
        ring.pick(C - 83, C);
        const QImage before = ring.raster().image();
        QCOMPARE(ring.resize(asked), redrawn);
        QTEST(asked, "given");
        QTEST(ring.HueMarker, "hueMarker");
        QTEST(ring.SquareMarker, "squareMarker");
        QCOMPARE(ring.raster().image() == before, !redrawn);
        if (redrawn) {
            QCOMPARE(ring.raster().image().size(), asked);
            QVERIFY(ring.HalfSide() > 0);
        }
    }
};

DEPTHLOOM_TEST_CLASS(ColorRingTest);
#include "ColorRingTest.moc"
