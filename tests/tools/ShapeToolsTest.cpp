#include "RecordingHost.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "raster/RasterImage.h"
#include "tools/TDrawTool.h"

#include <QTest>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb PaintRgb = qRgb(200, 100, 50);
const ColorRef Paint = colorref::fromRgb(PaintRgb);

// '.' white, '#' black, 'r' the paint, '1' white less one, 'g' a grey, 'b' a colour.
QImage picture(const QStringList& rows)
{
    const QHash<QChar, QRgb> colours = {{'.', White},
                                        {'#', qRgb(0, 0, 0)},
                                        {'r', PaintRgb},
                                        {'1', qRgb(255, 255, 254)},
                                        {'g', qRgb(60, 60, 60)},
                                        {'b', qRgb(0x3C, 0x3C, 0xA5)}};
    QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, colours[rows[y][x]]);
        }
    }
    return image;
}

QImage blank(int width, int height)
{
    return picture(QStringList(height, QString(width, QLatin1Char('.'))));
}

// One tool of the dispatcher on a picture of its own.
struct Bench
{
    RasterImage image;
    DrawingState state;
    RecordingHost host;
    TDrawTool tools{state, host, ToolId::Select};

    Bench(const QImage& start, ToolId toolId)
    {
        image.setImage(start);
        state.ActiveImage = &image;
        state.CurrentColor = Paint;
        host.state = &state;
        tools.SelectTool(toolId);
    }
    void drag(QPoint from, QPoint to, const QList<QPoint>& via = {})
    {
        tools.MouseDown(from.x(), from.y());
        for (QPoint p : via) {
            tools.MouseMove(p.x(), p.y());
        }
        tools.MouseUp(to.x(), to.y());
    }
};

QRect paintedBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            bounds |= image.pixel(x, y) == White ? QRect() : QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// The length of the first painted run met walking from `p` by `step`.
int thickness(const QImage& image, QPoint p, QPoint step)
{
    while (image.valid(p) && image.pixel(p) == White) {
        p += step;
    }
    int count = 0;
    for (; image.valid(p) && image.pixel(p) != White; p += step) {
        ++count;
    }
    return count;
}

} // namespace

class ShapeToolsTest : public QObject
{
    Q_OBJECT

private slots:
    void sameShapeInEveryDirection_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("solid");
        QTest::newRow("rectangle") << int(ToolId::Rect) << 1 << false;
        QTest::newRow("rectangle wide solid") << int(ToolId::Rect) << 3 << true;
        QTest::newRow("ellipse") << int(ToolId::Ellips) << 1 << false;
        QTest::newRow("ellipse wide solid") << int(ToolId::Ellips) << 2 << true;
    }
    // The box between the two corners, right- and bottom-exclusive, whichever corner the drag
    // starts at; the rubber band's earlier positions leave nothing behind. A second button
    // during a drag takes the shape away; Undo after a shape puts back the picture from before
    // the press.
    void sameShapeInEveryDirection()
    {
        QFETCH(int, tool);
        QFETCH(int, width);
        QFETCH(bool, solid);
        const QPoint a(3, 4), b(17, 12), c(17, 4), d(3, 12);
        const std::pair<QPoint, QPoint> drags[] = {{a, b}, {b, a}, {c, d}, {d, c}};
        QImage first;
        for (auto [from, to] : drags) {
            Bench bench(blank(22, 16), ToolId(tool));
            bench.state.ShapeLineWidth = std::uint8_t(width);
            bench.state.ShapeSolid = solid;
            bench.tools.MouseDown(from.x(), from.y());
            bench.tools.MouseMove(to.x(), to.y());
            bench.tools.MouseDown(to.x(), to.y());
            bench.tools.MouseUp(to.x(), to.y());
            DL_COMPARE_IMAGES(bench.image.image(), blank(22, 16));
            bench.drag(from, to, {{21, 15}, {0, 0}, {10, 2}});
            if (first.isNull()) {
                first = bench.image.image();
                QCOMPARE(paintedBounds(first), QRect(a, b - QPoint(1, 1)));
                QCOMPARE(first.pixel(9, 7) != White, solid);
            }
            DL_COMPARE_IMAGES(bench.image.image(), first);
            bench.tools.Undo();
            DL_COMPARE_IMAGES(bench.image.image(), blank(22, 16));
        }
    }

    void rubberBandMoves_data()
    {
        QTest::addColumn<bool>("opaque");
        QTest::addColumn<bool>("solid");
        QTest::addColumn<int>("width");
        QTest::newRow("mix, solid") << false << true << 1;
        QTest::newRow("mix, solid, wide") << false << true << 3;
        QTest::newRow("opaque, solid, wide") << true << true << 2;
        QTest::newRow("mix, hollow") << false << false << 1;
    }
    // After every move the picture is what one rectangle to that corner makes of it, however the
    // band grew, shrank or turned over the press point before: over many colours, where mixing
    // shows what lies beneath.
    void rubberBandMoves()
    {
        QFETCH(bool, opaque);
        QFETCH(bool, solid);
        QFETCH(int, width);
        QImage start(30, 24, QImage::Format_RGB32);
        for (int y = 0; y < start.height(); ++y) {
            for (int x = 0; x < start.width(); ++x) {
                start.setPixel(x, y, qRgb((x * 37) & 0xFF, (y * 91) & 0xFF, ((x ^ y) * 23) & 0xFF));
            }
        }
        auto set = [&](Bench& bench) {
            bench.state.OpaquePaint = opaque;
            bench.state.ShapeSolid = solid;
            bench.state.ShapeLineWidth = std::uint8_t(width);
        };
        const QPoint from(5, 6);
        Bench moving(start, ToolId::Rect);
        set(moving);
        moving.tools.MouseDown(from.x(), from.y());
        for (const QPoint to : {QPoint(25, 20), QPoint(24, 19), QPoint(12, 10), QPoint(26, 21),
                                QPoint(2, 3), QPoint(8, 22), QPoint(28, 4), QPoint(20, 15)}) {
            moving.tools.MouseMove(to.x(), to.y());
            Bench once(start, ToolId::Rect);
            set(once);
            once.drag(from, to);
            DL_COMPARE_IMAGES(moving.image.image(), once.image.image());
        }
    }

    void paintModes_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<bool>("opaque");
        QTest::newRow("line, mix") << int(ToolId::Line) << false;
        QTest::newRow("line, opaque") << int(ToolId::Line) << true;
        QTest::newRow("solid rectangle, mix") << int(ToolId::Rect) << false;
        QTest::newRow("solid ellipse, opaque") << int(ToolId::Ellips) << true;
    }
    // Over white, black and a colour: opaque paint gives the colour, mix paint the AND of old
    // and colour, outline and fill alike; nothing else changes.
    void paintModes()
    {
        QFETCH(int, tool);
        QFETCH(bool, opaque);
        const QImage start = picture(QStringList(12, QStringLiteral("....##bb")));
        Bench bench(start, ToolId(tool));
        bench.state.OpaquePaint = opaque;
        bench.state.ShapeSolid = true;
        bench.state.ShapeLineWidth = 3;
        bench.drag({0, 1}, {8, 11});
        int changed[3] = {};
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 8; ++x) {
                const QRgb old = start.pixel(x, y);
                const QRgb now = bench.image.image().pixel(x, y);
                QVERIFY(now == old || now == (opaque ? PaintRgb : (old & PaintRgb)));
                changed[x < 4 ? 0 : x < 6 ? 1 : 2] += now != old;
            }
        }
        QVERIFY(changed[0] > 0 && changed[2] > 0);
        QCOMPARE(changed[1] > 0, opaque); // black stays black in mix mode
    }

    void wideOutlines_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<int>("width");
        for (int width : {1, 2, 3, 4, 8}) {
            for (ToolId tool : {ToolId::Line, ToolId::Rect, ToolId::Ellips}) {
                QTest::addRow("tool %d, width %d", int(tool), width) << int(tool) << width;
            }
        }
    }
    // A pen of width w is w pixels across every outline. Rectangles and ellipses stay inside
    // their box; a line is centred on its path, an even width's spare pixel above and left.
    void wideOutlines()
    {
        QFETCH(int, tool);
        QFETCH(int, width);
        Bench bench(blank(40, 40), ToolId(tool));
        bench.state.ShapeLineWidth = std::uint8_t(width);
        const bool line = ToolId(tool) == ToolId::Line;
        if (line) {
            bench.drag({5, 20}, {35, 20}, {{39, 39}, {0, 0}, {30, 2}});
            bench.drag({20, 5}, {20, 35}, {{39, 0}, {2, 38}});
            QCOMPARE(paintedBounds(bench.image.image()).topLeft(),
                     QPoint(5 - width / 2, 5 - width / 2));
        } else {
            bench.drag({5, 5}, {35, 34});
            QCOMPARE(paintedBounds(bench.image.image()), QRect(5, 5, 30, 29));
        }
        // Down through the top (or the horizontal line), across the left side (or the vertical).
        QCOMPARE(thickness(bench.image.image(), {line ? 10 : 20, 0}, {0, 1}), width);
        QCOMPARE(thickness(bench.image.image(), {0, line ? 10 : 19}, {1, 0}), width);
    }

    void fill_data()
    {
        QTest::addColumn<QImage>("before");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<ColorRef>("colour");
        QTest::addColumn<QImage>("after");
        QTest::newRow("stops at a colour one off")
            << picture({"..1..", "..1..", ".11.."}) << QPoint(0, 0) << Paint
            << picture({"rr1..", "rr1..", "r11.."});
        QTest::newRow("four neighbours only")
            << picture({"#...", ".#..", "..#.", "...#"}) << QPoint(3, 0) << Paint
            << picture({"#rrr", ".#rr", "..#r", "...#"});
        QTest::newRow("already in the colour, round an island")
            << picture({"....", ".##.", "...."}) << QPoint(1, 0) << colorref::White
            << picture({"....", ".##.", "...."});
        QTest::newRow("covers in mix mode")
            << picture({"gg#", "g##"}) << QPoint(0, 1) << Paint << picture({"rr#", "r##"});
        QTest::newRow("a height") << picture({"g.", "gg"}) << QPoint(1, 0)
                                  << colorref::paletteGrey(60) << picture({"gg", "gg"});
        QTest::newRow("the invalid colour paints black")
            << picture({".#.", "#.."}) << QPoint(0, 0) << colorref::Invalid
            << picture({"##.", "#.."});
    }
    void fill()
    {
        QFETCH(QImage, before);
        QFETCH(QPoint, at);
        QFETCH(ColorRef, colour);
        QFETCH(QImage, after);
        Bench bench(before, ToolId::Fill);
        bench.state.CurrentColor = colour;
        bench.drag(at, at);
        DL_COMPARE_IMAGES(bench.image.image(), after);
        bench.tools.Undo();
        DL_COMPARE_IMAGES(bench.image.image(), before);
    }

    void pickUp_data()
    {
        QTest::addColumn<QList<QPoint>>("path"); // press, moves, release
        QTest::addColumn<QList<ColorRef>>("picked");
        const ColorRef blue = colorref::rgb(0x3C, 0x3C, 0xA5);
        QTest::newRow("a click") << QList<QPoint>{{1, 0}, {1, 0}} << QList<ColorRef>{blue, blue};
        QTest::newRow("released elsewhere")
            << QList<QPoint>{{0, 0}, {1, 0}, {2, 0}}
            << QList<ColorRef>{colorref::White, blue, colorref::grey(58)};
        QTest::newRow("dragged out of the image")
            << QList<QPoint>{{2, 0}, {3, 0}, {-1, 0}}
            << QList<ColorRef>{colorref::grey(58), colorref::Invalid, colorref::Invalid};
    }
    // Every pick sets the current colour, plain RGB (a height loses its palette flag), and only
    // then has the palette follow it; the painting tools use what was picked, the invalid
    // colour as black.
    void pickUp()
    {
        QFETCH(QList<QPoint>, path);
        QFETCH(QList<ColorRef>, picked);
        Bench bench(picture({".b.", "..."}), ToolId::Suck);
        bench.image.setPixel(2, 0, colorref::paletteGrey(58));
        bench.drag(path.first(), path.last(), path.mid(1, path.size() - 2));
        bench.tools.MouseMove(0, 0); // released: no pick
        QCOMPARE(bench.host.refreshedWith, picked);
        QCOMPARE(bench.state.CurrentColor, picked.last());

        bench.tools.SelectTool(ToolId::Line);
        bench.state.OpaquePaint = true;
        bench.drag({0, 1}, {3, 1});
        const ColorRef painted = bench.image.pixel(1, 1);
        QCOMPARE(painted, picked.last() == colorref::Invalid ? colorref::Black : picked.last());
    }
};

DEPTHLOOM_TEST_CLASS(ShapeToolsTest);
#include "ShapeToolsTest.moc"
