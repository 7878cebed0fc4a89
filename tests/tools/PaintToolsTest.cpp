#include "RecordingHost.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "raster/RasterImage.h"
#include "tools/DrawingState.h"
#include "tools/TDrawTool.h"
#include "tools/ToolAver.h"
#include "tools/ToolPencil.h"

#include <QTest>

#include <set>
#include <utility>

namespace {

using PixelSet = std::set<std::pair<int, int>>;

QImage filledImage(int width, int height, QRgb pixel)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(pixel);
    return image;
}

PixelSet differing(const QImage& a, const QImage& b)
{
    PixelSet pixels;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                pixels.insert({x, y});
            }
        }
    }
    return pixels;
}

// A picture to paint on, with the drawing state and a host that records the tool's reports.
struct Canvas
{
    Canvas(const QImage& picture) : image(picture) { state.ActiveImage = &image; }

    // Runs one tool event; returns the first changed pixel that none of the event's reports
    // covers (the pane would go on showing it stale), or an empty text.
    template <typename Event> QString act(Event event)
    {
        const QImage before = image.image();
        const qsizetype reportsBefore = host.changed.size();
        event();
        QRegion reported;
        for (qsizetype i = reportsBefore; i < host.changed.size(); ++i) {
            reported += host.changed[i];
        }
        for (const auto& [x, y] : differing(before, image.image())) {
            if (!reported.contains(QPoint(x, y))) {
                return QStringLiteral("(%1, %2) changed unreported").arg(x).arg(y);
            }
        }
        return QString();
    }

    RasterImage image;
    DrawingState state;
    RecordingHost host;
};

} // namespace

class PaintToolsTest : public QObject
{
    Q_OBJECT

private slots:
    // A click with the pointer at rest. Size 0 sets exactly the clicked pixel, in mix mode
    // too. At any size later ticks add nothing: a line to where the pen already is is empty.
    void pencilClickAndRest_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("square");
        QTest::addColumn<bool>("opaque");
        QTest::newRow("size 0 mix") << 0 << false << false;
        QTest::newRow("size 0 opaque") << 0 << false << true;
        QTest::newRow("size 2 round opaque") << 2 << false << true;
        QTest::newRow("size 3 square mix") << 3 << true << false;
    }
    void pencilClickAndRest()
    {
        QFETCH(int, size);
        QFETCH(bool, square);
        QFETCH(bool, opaque);
        Canvas c(filledImage(40, 40, qRgb(100, 100, 100)));
        c.state.CurrentColor = colorref::rgb(0, 255, 0); // mixed over the ground: (0, 100, 0)
        c.state.PenSize = std::uint8_t(size);
        c.state.PenSquare = square;
        c.state.OpaquePaint = opaque;
        ToolPencil pencil(c.state, c.host);
        const QImage ground = c.image.image();

        pencil.MouseDown(20, 20);
        const QImage pressed = c.image.image();
        for (int i = 0; i < 3; ++i) {
            pencil.Tick();
            pencil.MouseMove(20, 20);
        }
        DL_COMPARE_IMAGES(c.image.image(), pressed);
        if (size == 0) {
            QCOMPARE(differing(ground, pressed), PixelSet({{20, 20}}));
            QCOMPARE(pressed.pixel(20, 20), qRgb(0, 255, 0));
        }
        // The release takes the stroke's pattern and wide pen off the picture.
        pencil.MouseUp(20, 20);
        QVERIFY(c.image.brush().pattern.isNull());
        QCOMPARE(c.image.pen().width, 1);
        QCOMPARE(c.image.brush().color, colorref::White);
    }

    // What a press of each pen paints where the pointer rests: its dab, filled inside the box
    // of half-size r around the point (the right and bottom edges left out), whole for square
    // pens, without the box's corners for round ones; size 0 solid sets the pressed pixel.
    // Ticks at rest lay spray dabs until every pixel of the dab has been hit.
    void pencilFootprints_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("square");
        QTest::addColumn<bool>("spray");
        QTest::addColumn<int>("half"); // the dab's half-size r
        const int solidHalf[] = {0, 1, 4, 7};
        const int sprayHalf[] = {2, 4, 6, 8};
        for (const bool spray : {false, true}) {
            for (const bool square : {false, true}) {
                for (int size = 0; size < 4; ++size) {
                    QTest::addRow("%s%s size %d", square ? "square" : "round",
                                  spray ? " spray" : "", size)
                        << size << square << spray << (spray ? sprayHalf : solidHalf)[size];
                }
            }
        }
    }
    void pencilFootprints()
    {
        QFETCH(int, size);
        QFETCH(bool, square);
        QFETCH(bool, spray);
        QFETCH(int, half);
        const QImage ground = filledImage(40, 40, qRgb(255, 255, 255));
        Canvas c(ground);
        c.state.CurrentColor = colorref::Black;
        c.state.PenSize = std::uint8_t(size);
        c.state.PenSquare = square;
        c.state.PenSpray = spray;
        ToolPencil pencil(c.state, c.host);
        pencil.setSpraySeed(3);
        pencil.MouseDown(20, 20);
        for (int i = 0; i < (spray ? 300 : 1); ++i) {
            pencil.Tick();
        }
        pencil.MouseUp(20, 20);

        const PixelSet painted = differing(ground, c.image.image());
        const int side = half > 0 ? 2 * half - 1 : 1;
        const QRect box = half > 0 ? QRect(20 - half, 20 - half, side, side) : QRect(20, 20, 1, 1);
        QRect extent;
        for (const auto& [x, y] : painted) {
            extent |= QRect(x, y, 1, 1);
        }
        QCOMPARE(extent, box);
        // A round dab of 3 x 3 or less fills its box.
        QCOMPARE(int(painted.size()) == side * side, square || side < 5);
    }

    // Another tool chosen in the middle of a stroke (Paste does that) finds no pattern left in
    // the picture's brush to fill with.
    void pencilReplacedMidStroke()
    {
        Canvas c(filledImage(20, 20, qRgb(255, 255, 255)));
        TDrawTool dispatcher(c.state, c.host, ToolId::Pencil);
        dispatcher.SelectTool(ToolId::Pencil);
        dispatcher.MouseDown(5, 5);
        dispatcher.SelectTool(ToolId::Select);
        QVERIFY(c.image.brush().pattern.isNull());
    }

    // Mix mode ANDs the colour in: over white it shows the colour, over black nothing. Opaque
    // mode paints the colour on any ground. Each event reports the pixels it changed, and no
    // more than the neighbourhood of the pointer.
    void pencilStroke_data()
    {
        QTest::addColumn<QRgb>("ground");
        QTest::addColumn<bool>("opaque");
        QTest::addColumn<int>("size");
        QTest::addColumn<QRgb>("expected");
        const QRgb colour = qRgb(200, 120, 40);
        QTest::newRow("mix over white, size 1") << qRgb(255, 255, 255) << false << 1 << colour;
        QTest::newRow("mix over black, size 3") << qRgb(0, 0, 0) << false << 3 << qRgb(0, 0, 0);
        QTest::newRow("opaque over black, size 3") << qRgb(0, 0, 0) << true << 3 << colour;
        QTest::newRow("opaque over white, size 0") << qRgb(255, 255, 255) << true << 0 << colour;
    }
    void pencilStroke()
    {
        QFETCH(QRgb, ground);
        QFETCH(bool, opaque);
        QFETCH(int, size);
        QFETCH(QRgb, expected);
        Canvas c(filledImage(120, 80, ground));
        c.state.CurrentColor = colorref::rgb(200, 120, 40);
        c.state.OpaquePaint = opaque;
        c.state.PenSize = std::uint8_t(size);
        ToolPencil pencil(c.state, c.host);

        QCOMPARE(c.act([&] { pencil.MouseDown(10, 10); }), QString());
        for (int i = 1; i <= 20; ++i) {
            QCOMPARE(c.act([&] { pencil.MouseMove(10 + 5 * i, 10 + 3 * i); }), QString());
            QCOMPARE(c.act([&] { pencil.Tick(); }), QString());
        }
        pencil.MouseUp(110, 70);
        for (const QRect& area : std::as_const(c.host.changed)) {
            QVERIFY(area.width() * area.height() <= 25 * 25);
        }
        QCOMPARE(c.image.image().pixel(10, 10), expected); // the press
        QCOMPARE(c.image.image().pixel(62, 41), expected); // between two points
        QCOMPARE(c.image.image().pixel(100, 10), ground);  // far off
    }

    // An opaque spray dab paints about one pixel in ten of its shape, exactly in the colour,
    // and leaves the others alone. Each stroke starts the random numbers afresh, so with a
    // fixed seed a stroke 40 pixels on (a multiple of the pattern's 8) repeats the first.
    void pencilSpray()
    {
        const QImage ground = filledImage(96, 40, qRgb(90, 90, 90));
        RasterImage shape(ground);
        shape.pen().style = PenStyle::Clear;
        shape.ellipse(12, 12, 28, 28); // the dab at (20, 20)
        const PixelSet dab = differing(shape.image(), ground);

        Canvas c(ground);
        c.state.CurrentColor = colorref::rgb(255, 0, 0);
        c.state.OpaquePaint = true;
        c.state.PenSpray = true;
        c.state.PenSize = 3;
        ToolPencil pencil(c.state, c.host);
        pencil.setSpraySeed(7);
        pencil.MouseDown(20, 20);
        pencil.MouseUp(20, 20);
        const QImage first = c.image.image();
        const PixelSet painted = differing(ground, first);
        const double share = double(painted.size()) / double(dab.size());
        QVERIFY2(share > 0.04 && share < 0.2, qPrintable(QString::number(share)));
        for (const auto& [x, y] : painted) {
            QVERIFY(dab.count({x, y}));
            QCOMPARE(first.pixel(x, y), qRgb(255, 0, 0));
        }

        pencil.MouseDown(60, 20);
        pencil.MouseUp(60, 20);
        PixelSet second;
        for (const auto& [x, y] : differing(first, c.image.image())) {
            second.insert({x - 40, y});
        }
        QCOMPARE(second, painted);
    }

    // A second button during a stroke puts back the picture from before the stroke, and the
    // stroke is over: later moves and ticks paint nothing.
    void secondButtonCancels_data()
    {
        QTest::addColumn<int>("tool");
        QTest::newRow("pencil") << int(ToolId::Pencil);
        QTest::newRow("smoothing") << int(ToolId::Aver);
    }
    void secondButtonCancels()
    {
        QFETCH(int, tool);
        QImage picture(60, 60, QImage::Format_RGB32);
        for (int i = 0; i < 3600; ++i) {
            const int level = (i * 37 + (i / 60) * 91) % 256;
            picture.setPixel(i % 60, i / 60, qRgb(level, level, level));
        }
        Canvas c(picture);
        c.state.PenSize = 2;
        TDrawTool dispatcher(c.state, c.host, ToolId::Select);
        dispatcher.SelectTool(ToolId(tool));

        dispatcher.MouseDown(20, 20);
        dispatcher.MouseMove(35, 30);
        dispatcher.Tick();
        QVERIFY(c.image.image() != picture);
        dispatcher.MouseDown(35, 30);
        DL_COMPARE_IMAGES(c.image.image(), picture);
        dispatcher.MouseMove(40, 40);
        dispatcher.Tick();
        dispatcher.MouseUp(40, 40);
        DL_COMPARE_IMAGES(c.image.image(), picture);
    }

    // One tick over a single bright pixel: the kernel's own shape, 255 / 13 (20) at the centre
    // and the diagonals, 2 x 255 / 13 (39) two steps along the axes, 0 for the direct
    // neighbours. The results are greys of the red bytes, and only the inner 26 x 26 pixels of
    // the 30 x 30 area change.
    void smoothingSinglePixel()
    {
        const QRgb ground = qRgb(0, 77, 140);
        Canvas c(filledImage(60, 60, ground));
        c.image.setPixel(30, 30, colorref::rgb(255, 30, 60));
        ToolAver aver(c.state, c.host);
        aver.MouseDown(30, 30);
        aver.Tick();

        QImage expected = filledImage(60, 60, ground);
        for (int y = 17; y < 43; ++y) {
            for (int x = 17; x < 43; ++x) {
                const int dx = std::abs(x - 30);
                const int dy = std::abs(y - 30);
                const int g = dx + dy == 2 && dx != dy ? 39 : (dx == dy && dx <= 1 ? 20 : 0);
                expected.setPixel(x, y, qRgb(g, g, g));
            }
        }
        DL_COMPARE_IMAGES(c.image.image(), expected);
        QCOMPARE(c.host.changed, QList<QRect>({QRect(17, 17, 26, 26)}));
    }

    // A uniform grey stays as it is, also where the area reaches past the picture's edge (read
    // as the edge pixels repeated); an area wholly outside changes and reports nothing.
    void smoothingKeepsUniformAreas_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::newRow("inside") << QPoint(30, 30);
        QTest::newRow("top left corner") << QPoint(0, 0);
        QTest::newRow("bottom right edge") << QPoint(59, 40);
        QTest::newRow("outside") << QPoint(-40, 20);
    }
    void smoothingKeepsUniformAreas()
    {
        QFETCH(QPoint, at);
        const QImage grey = filledImage(60, 50, qRgb(120, 120, 120));
        Canvas c(grey);
        ToolAver aver(c.state, c.host);
        aver.MouseDown(at.x(), at.y());
        aver.Tick();
        DL_COMPARE_IMAGES(c.image.image(), grey);
        for (const QRect& area : std::as_const(c.host.changed)) {
            QVERIFY(c.image.clipRect().contains(area));
        }
        QCOMPARE(c.host.changed.isEmpty(), at.x() < -17);
    }
};

DEPTHLOOM_TEST_CLASS(PaintToolsTest);
#include "PaintToolsTest.moc"
