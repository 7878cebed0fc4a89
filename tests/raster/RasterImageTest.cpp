#include "raster/RasterImage.h"

#include "common/HostilePaths.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "files/PictureFiles.h"
#include "raster/CanvasStateSaver.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <malloc.h>
#include <set>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace {

using PixelSet = std::set<std::pair<int, int>>;

RasterImage filled(int width, int height, ColorRef color)
{
    RasterImage image;
    image.brush().color = color;
    image.setSize(width, height);
    return image;
}

// The pixels that differ from `background`.
PixelSet painted(const RasterImage& image, ColorRef background)
{
    PixelSet pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) {
                pixels.insert({x, y});
            }
        }
    }
    return pixels;
}

PixelSet boxPixels(int left, int top, int right, int bottom)
{
    PixelSet pixels;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            pixels.insert({x, y});
        }
    }
    return pixels;
}

// A picture where every pixel differs, to catch pixels that a drawing touches twice.
RasterImage noisePicture(int width, int height)
{
    RasterImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, colorref::rgb(x * 37 + y, y * 11 + x * 3, (x ^ y) * 5));
        }
    }
    return image;
}

enum class Shape
{
    Rectangle,
    Ellipse,
    Line,
};

void drawShape(RasterImage& image, Shape shape, QRect box)
{
    switch (shape) {
    case Shape::Rectangle:
        image.rectangle(box.left(), box.top(), box.left() + box.width(), box.top() + box.height());
        break;
    case Shape::Ellipse:
        image.ellipse(box.left(), box.top(), box.left() + box.width(), box.top() + box.height());
        break;
    case Shape::Line:
        image.moveTo(box.left(), box.top());
        image.lineTo(box.left() + box.width(), box.top() + box.height());
        break;
    }
}

QByteArray le32(quint32 v)
{
    return QByteArray(reinterpret_cast<const char*>(&v), 4); // the tests run on little-endian
}

// A Windows bitmap with a 40-byte header and the two palette colours red and blue.
QByteArray bitmap(int width, int height, int bits, int compression, const QByteArray& pixels)
{
    const QByteArray palette("\x00\x00\xff\x00\xff\x00\x00\x00", 8);
    const QByteArray info = le32(40) + le32(width) + le32(height) + QByteArray("\x01\x00", 2) +
                            char(bits) + '\0' + le32(compression) + le32(pixels.size()) + le32(0) +
                            le32(0) + le32(2) + le32(0);
    const int offset = 14 + 40 + 8;
    return "BM" + le32(offset + pixels.size()) + le32(0) + le32(offset) + info + palette + pixels;
}

QByteArray encoded(const char* format)
{
    const QImage picture = noisePicture(40, 30).image();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

using StateChange = std::function<void(RasterImage&)>;

} // namespace

Q_DECLARE_METATYPE(StateChange)

class RasterImageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colourValues()
    {
        QCOMPARE(colorref::redByte(0x02383838), 56);
        QCOMPARE(colorref::redByte(0x00FFFFFF), 255);
        QCOMPARE(colorref::redByte(colorref::Invalid), -1);

        RasterImage image = filled(4, 1, colorref::White);
        QCOMPARE(image.pixel(-1, 0), colorref::Invalid);
        QCOMPARE(image.pixel(4, 0), colorref::Invalid);
        image.setPixel(0, 0, colorref::Invalid);
        QCOMPARE(image.pixel(0, 0), colorref::Black);
        image.setPixel(1, 0, colorref::paletteIndex(8));
        QCOMPARE(image.pixel(1, 0), colorref::rgb(192, 220, 192));
        image.setPixel(2, 0, colorref::paletteGrey(58));
        QCOMPARE(image.pixel(2, 0), colorref::grey(58));
        image.setPixel(5, 0, colorref::Black); // outside: nothing happens
        QCOMPARE(image.pixel(3, 0), colorref::White);

        // With the grey palette attached, an index names entry i, the grey 55 + i.
        image.setPalette(greypalette::make());
        image.setPixel(3, 0, colorref::paletteIndex(3));
        QCOMPARE(image.pixel(3, 0), colorref::grey(58));
        QCOMPARE(greypalette::make().constLast(),
                 (PaletteEntry{254, 254, 254, greypalette::NoCollapse}));
    }

    void resizeKeepsTopLeft()
    {
        RasterImage strip;
        strip.setSize(120, 300);
        QCOMPARE(strip.pixel(119, 299), colorref::White); // drawing state never used
        strip.setPixel(5, 7, colorref::rgb(1, 2, 3));
        strip.brush().color = colorref::paletteGrey(58);
        strip.setWidth(200);
        QCOMPARE(strip.width(), 200);
        QCOMPARE(strip.pixel(5, 7), colorref::rgb(1, 2, 3));
        QCOMPARE(strip.pixel(119, 0), colorref::White);
        QCOMPARE(painted(strip, colorref::White), [] {
            PixelSet expected = boxPixels(120, 0, 200, 300);
            expected.insert({5, 7});
            return expected;
        }());
        QCOMPARE(strip.pixel(120, 299), colorref::grey(58));

        // A picture 0 wide keeps its height, and grows back from the brush.
        strip.setSize(-4, 300);
        QCOMPARE(strip.width(), 0);
        QCOMPARE(strip.height(), 300);
        QVERIFY(strip.isEmpty());
        strip.setWidth(3);
        QCOMPARE(strip.pixel(2, 299), colorref::grey(58));
    }

    void penModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<ColorRef>("expected");
        const ColorRef pen = colorref::rgb(0xF0, 0x0F, 0x33);
        const ColorRef picture = colorref::rgb(0x3C, 0x3C, 0xA5);
        QTest::newRow("copy") << int(PenMode::Copy) << pen;
        QTest::newRow("xor") << int(PenMode::Xor) << (pen ^ picture);
        QTest::newRow("not") << int(PenMode::Not) << (~picture & 0xFFFFFF);
        QTest::newRow("mask") << int(PenMode::Mask) << (pen & picture);
        QTest::newRow("merge") << int(PenMode::Merge) << (pen | picture);
    }
    void penModes()
    {
        QFETCH(int, mode);
        QFETCH(ColorRef, expected);
        // Both the outline (pen) and the inside (brush) go through the mode.
        RasterImage image = filled(6, 6, colorref::rgb(0x3C, 0x3C, 0xA5));
        image.pen() = Pen{colorref::rgb(0xF0, 0x0F, 0x33), 1, PenStyle::Solid, PenMode(mode)};
        image.brush().color = colorref::rgb(0xF0, 0x0F, 0x33);
        image.rectangle(0, 0, 5, 5);
        QCOMPARE(image.pixel(0, 0), expected);
        QCOMPARE(image.pixel(2, 2), expected);
        QCOMPARE(image.pixel(5, 5), colorref::rgb(0x3C, 0x3C, 0xA5));
    }

    void copyModes_data()
    {
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<ColorRef>("expected");
        const ColorRef source = colorref::rgb(0xF0, 0x0F, 0x33);
        const ColorRef dest = colorref::rgb(0x3C, 0x3C, 0xA5);
        QTest::newRow("source copy") << quint32(CopyMode::SourceCopy) << source;
        QTest::newRow("source and") << quint32(CopyMode::SourceAnd) << (source & dest);
        QTest::newRow("source xor") << quint32(CopyMode::SourceXor) << (source ^ dest);
        QTest::newRow("source or") << quint32(CopyMode::SourceOr) << (source | dest);
        QTest::newRow("blackness") << quint32(CopyMode::Blackness) << colorref::Black;
    }
    void copyModes()
    {
        QFETCH(quint32, mode);
        QFETCH(ColorRef, expected);
        const RasterImage source = filled(2, 2, colorref::rgb(0xF0, 0x0F, 0x33));
        RasterImage image = filled(4, 4, colorref::rgb(0x3C, 0x3C, 0xA5));
        image.setCopyMode(CopyMode(mode));
        image.draw(1, 1, source);
        QCOMPARE(image.pixel(1, 1), expected);
        QCOMPARE(image.pixel(2, 2), expected);
        QCOMPARE(image.pixel(0, 0), colorref::rgb(0x3C, 0x3C, 0xA5));
        QCOMPARE(image.pixel(3, 3), colorref::rgb(0x3C, 0x3C, 0xA5));
    }

    // Whatever a scope does to the pen, the brush, the copy mode or the pen position, the picture
    // draws afterwards as it did before.
    void stateSaverRestores_data()
    {
        QTest::addColumn<StateChange>("change");
        QTest::newRow("pen") << StateChange([](RasterImage& p) { p.pen().width = 3; });
        QTest::newRow("brush") << StateChange([](RasterImage& p) { p.brush().color = 0; });
        QTest::newRow("copy mode")
            << StateChange([](RasterImage& p) { p.setCopyMode(CopyMode::SourceXor); });
        QTest::newRow("pen position") << StateChange([](RasterImage& p) { p.moveTo(6, 0); });
    }
    void stateSaverRestores()
    {
        QFETCH(StateChange, change);
        auto drawOn = [](RasterImage picture) {
            picture.lineTo(5, 2);
            picture.ellipse(1, 1, 7, 7);
            picture.draw(2, 3, filled(3, 2, colorref::rgb(9, 99, 199)));
            return picture.image();
        };
        RasterImage picture = noisePicture(8, 8);
        picture.pen() = Pen{colorref::rgb(200, 10, 10), 1, PenStyle::Solid, PenMode::Xor};
        picture.brush().color = colorref::rgb(30, 60, 90);
        picture.setCopyMode(CopyMode::SourceAnd);
        picture.moveTo(0, 7);
        const QImage expected = drawOn(picture);
        {
            const CanvasStateSaver saved(picture);
            change(picture);
        }
        DL_COMPARE_IMAGES(drawOn(picture), expected);
    }

    void copyGeometry()
    {
        RasterImage source(2, 2);
        source.setPixel(0, 0, colorref::rgb(10, 0, 0));
        source.setPixel(1, 0, colorref::rgb(20, 0, 0));
        source.setPixel(0, 1, colorref::rgb(30, 0, 0));
        source.setPixel(1, 1, colorref::rgb(40, 0, 0));

        // Doubling repeats each pixel into a 2 x 2 block.
        RasterImage big = filled(4, 4, colorref::White);
        big.stretchDraw(QRect(0, 0, 4, 4), source);
        QCOMPARE(big.pixel(1, 1), colorref::rgb(10, 0, 0));
        QCOMPARE(big.pixel(2, 1), colorref::rgb(20, 0, 0));
        QCOMPARE(big.pixel(3, 3), colorref::rgb(40, 0, 0));

        // A source reaching outside its picture leaves those destination pixels alone.
        RasterImage dest = filled(3, 3, colorref::White);
        dest.copyRect(QRect(0, 0, 3, 3), source, QRect(0, 0, 3, 3));
        QCOMPARE(dest.pixel(1, 1), colorref::rgb(40, 0, 0));
        QCOMPARE(dest.pixel(2, 0), colorref::White);
        QCOMPARE(dest.pixel(0, 2), colorref::White);

        // A negative destination width mirrors.
        RasterImage mirrored = filled(2, 2, colorref::White);
        mirrored.copyRect(QRect(2, 0, -2, 2), source, source.clipRect());
        QCOMPARE(mirrored.pixel(0, 0), colorref::rgb(20, 0, 0));
        QCOMPARE(mirrored.pixel(1, 1), colorref::rgb(30, 0, 0));

        // Copying within one picture reads the pixels as they were before the copy.
        RasterImage row = noisePicture(10, 1);
        const RasterImage before = row;
        row.copyRect(QRect(1, 0, 9, 1), row, QRect(0, 0, 9, 1));
        for (int x = 1; x < 10; ++x) {
            QCOMPARE(row.pixel(x, 0), before.pixel(x - 1, 0));
        }
    }

    void boxesAndClearPen()
    {
        RasterImage image = filled(7, 5, colorref::White);
        image.pen().style = PenStyle::Clear;
        image.brush().color = colorref::grey(58);
        image.rectangle(0, 0, image.width() + 1, image.height() + 1);
        QVERIFY(painted(image, colorref::grey(58)).empty());

        // Without the extra row and column the last ones stay.
        image = filled(7, 5, colorref::White);
        image.pen().style = PenStyle::Clear;
        image.brush().color = colorref::Black;
        image.rectangle(0, 0, 7, 5);
        QCOMPARE(painted(image, colorref::White), boxPixels(0, 0, 6, 4));

        // A 1-pixel pen outlines the box right- and bottom-exclusive; a wide pen grows inwards.
        image = filled(10, 10, colorref::White);
        image.brush().style = BrushStyle::Clear;
        image.rectangle(1, 1, 6, 5);
        PixelSet ring = boxPixels(1, 1, 6, 5);
        for (const auto& p : boxPixels(2, 2, 5, 4)) {
            ring.erase(p);
        }
        QCOMPARE(painted(image, colorref::White), ring);
        image = filled(10, 10, colorref::White);
        image.brush().style = BrushStyle::Clear;
        image.pen().width = 3;
        image.rectangle(0, 0, 10, 10);
        QCOMPARE(painted(image, colorref::White).size(), size_t(100 - 16));
    }

    void linesLeaveOutTheirEnd_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("count");
        QTest::newRow("right") << QPoint(1, 2) << QPoint(6, 2) << 5;
        QTest::newRow("left") << QPoint(6, 2) << QPoint(1, 2) << 5;
        QTest::newRow("down") << QPoint(3, 0) << QPoint(3, 7) << 7;
        QTest::newRow("diagonal up") << QPoint(0, 7) << QPoint(7, 0) << 7;
        QTest::newRow("steep") << QPoint(2, 0) << QPoint(4, 7) << 7;
        QTest::newRow("a point") << QPoint(3, 3) << QPoint(3, 3) << 0;
    }
    void linesLeaveOutTheirEnd()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(int, count);
        RasterImage image = filled(8, 8, colorref::White);
        image.moveTo(from.x(), from.y());
        image.lineTo(to.x(), to.y());
        const PixelSet pixels = painted(image, colorref::White);
        QCOMPARE(int(pixels.size()), count);
        QCOMPARE(pixels.count({to.x(), to.y()}), size_t(0));
        if (count > 0) {
            QCOMPARE(pixels.count({from.x(), from.y()}), size_t(1));
        }
        QCOMPARE(image.penPos(), to);
    }

    // Every pixel of a shape is combined once: XOR draws it visibly and a second XOR removes
    // it without a trace; and the XOR shape covers exactly the copy-mode shape.
    void xorTwiceRestores_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("penWidth");
        QTest::addColumn<int>("penStyle");
        QTest::addColumn<int>("brushStyle");
        QTest::addColumn<QRect>("box");
        const QRect box(3, 4, 33, 21);
        QTest::newRow("rectangle filled")
            << int(Shape::Rectangle) << 1 << int(PenStyle::Solid) << int(BrushStyle::Solid) << box;
        QTest::newRow("rectangle wide pen")
            << int(Shape::Rectangle) << 4 << int(PenStyle::Solid) << int(BrushStyle::Solid) << box;
        QTest::newRow("rectangle dotted") << int(Shape::Rectangle) << 1 << int(PenStyle::Dotted)
                                          << int(BrushStyle::Clear) << QRect(30, 20, -25, -14);
        QTest::newRow("rectangle thin") << int(Shape::Rectangle) << 1 << int(PenStyle::Dotted)
                                        << int(BrushStyle::Clear) << QRect(5, 5, 1, 9);
        QTest::newRow("ellipse filled")
            << int(Shape::Ellipse) << 1 << int(PenStyle::Solid) << int(BrushStyle::Solid) << box;
        QTest::newRow("ellipse wide pen")
            << int(Shape::Ellipse) << 6 << int(PenStyle::Solid) << int(BrushStyle::Solid) << box;
        QTest::newRow("ellipse no pen")
            << int(Shape::Ellipse) << 1 << int(PenStyle::Clear) << int(BrushStyle::Solid) << box;
        QTest::newRow("ellipse clipped") << int(Shape::Ellipse) << 3 << int(PenStyle::Solid)
                                         << int(BrushStyle::Solid) << QRect(-10, -6, 30, 20);
        QTest::newRow("line") << int(Shape::Line) << 1 << int(PenStyle::Solid)
                              << int(BrushStyle::Solid) << QRect(2, 3, 30, 11);
        QTest::newRow("line dotted") << int(Shape::Line) << 1 << int(PenStyle::Dotted)
                                     << int(BrushStyle::Solid) << QRect(2, 3, 30, 11);
        QTest::newRow("line wide") << int(Shape::Line) << 7 << int(PenStyle::Solid)
                                   << int(BrushStyle::Solid) << QRect(4, 20, 25, -13);
    }
    void xorTwiceRestores()
    {
        QFETCH(int, shape);
        QFETCH(int, penWidth);
        QFETCH(int, penStyle);
        QFETCH(int, brushStyle);
        QFETCH(QRect, box);
        auto setUp = [&](RasterImage& image, PenMode mode) {
            image.pen() = Pen{colorref::White, penWidth, PenStyle(penStyle), mode};
            image.brush().color = colorref::White;
            image.brush().style = BrushStyle(brushStyle);
        };
        RasterImage copied = filled(40, 30, colorref::Black);
        setUp(copied, PenMode::Copy);
        drawShape(copied, Shape(shape), box);
        const PixelSet shapePixels = painted(copied, colorref::Black);
        QVERIFY(!shapePixels.empty());

        RasterImage image = filled(40, 30, colorref::Black);
        setUp(image, PenMode::Xor);
        drawShape(image, Shape(shape), box);
        QCOMPARE(painted(image, colorref::Black), shapePixels);

        image = noisePicture(40, 30);
        const RasterImage before = image;
        setUp(image, PenMode::Xor);
        drawShape(image, Shape(shape), box);
        drawShape(image, Shape(shape), box);
        DL_COMPARE_IMAGES(image.image(), before.image());
    }

    void ellipseShape()
    {
        // Symmetric, inside its box, touching all four sides, and the same whichever corners
        // the box is given by.
        RasterImage a = filled(30, 30, colorref::White);
        a.brush().color = colorref::Black;
        a.ellipse(2, 3, 27, 20);
        const PixelSet pixels = painted(a, colorref::White);
        int minX = 99, maxX = -1, minY = 99, maxY = -1;
        for (const auto& [x, y] : pixels) {
            QVERIFY(pixels.count({2 + 26 - x, y}) == 1);
            QVERIFY(pixels.count({x, 3 + 19 - y}) == 1);
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
        QCOMPARE(QRect(QPoint(minX, minY), QPoint(maxX, maxY)), QRect(2, 3, 25, 17));

        RasterImage b = filled(30, 30, colorref::White);
        b.brush().color = colorref::Black;
        b.ellipse(27, 20, 2, 3);
        DL_COMPARE_IMAGES(b.image(), a.image());

        // A box with no area draws nothing.
        RasterImage c = filled(10, 10, colorref::White);
        c.ellipse(4, 4, 4, 9);
        QVERIFY(painted(c, colorref::White).empty());
    }

    void patternBrushIsAlignedToTheOrigin()
    {
        QImage pattern(2, 2, QImage::Format_RGB32);
        pattern.fill(Qt::white);
        pattern.setPixel(0, 0, qRgb(0, 0, 0));
        RasterImage image = filled(6, 6, colorref::White);
        image.brush().pattern = pattern;
        image.pen().style = PenStyle::Clear;
        image.rectangle(1, 1, 6, 6);
        QCOMPARE(painted(image, colorref::White), (PixelSet{{2, 2}, {2, 4}, {4, 2}, {4, 4}}));
    }

    void floodFill_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<ColorRef>("fillColor");
        QTest::addColumn<int>("expectedFilled");
        // A 9 x 9 white picture with a black 5 x 5 ring (inner 3 x 3 white) in its middle.
        QTest::newRow("surface outside the ring")
            << int(FloodFillMode::Surface) << colorref::White << 81 - 25;
        QTest::newRow("surface in the same colour")
            << int(FloodFillMode::Surface) << colorref::White << 0;
        QTest::newRow("border up to black")
            << int(FloodFillMode::Border) << colorref::Black << 81 - 25;
    }
    void floodFill()
    {
        QFETCH(int, mode);
        QFETCH(ColorRef, fillColor);
        QFETCH(int, expectedFilled);
        const bool sameColour = QByteArray(QTest::currentDataTag()).contains("same");
        RasterImage image = filled(9, 9, colorref::White);
        image.pen().style = PenStyle::Clear;
        image.brush().color = colorref::Black;
        image.rectangle(2, 2, 8, 8);
        image.brush().color = colorref::White;
        image.rectangle(3, 3, 7, 7);
        const ColorRef paint = sameColour ? colorref::White : colorref::rgb(0, 200, 0);
        image.brush().color = paint;
        image.floodFill(0, 0, fillColor, FloodFillMode(mode));
        if (sameColour) {
            QCOMPARE(image.pixel(0, 0), colorref::White);
            return;
        }
        QCOMPARE(int(painted(image, colorref::White).size()), expectedFilled + 16);
        QCOMPARE(image.pixel(8, 8), paint);
        QCOMPARE(image.pixel(4, 4), colorref::White); // inside the ring: not reached
        QCOMPARE(image.pixel(2, 2), colorref::Black);
    }

    // A serpentine corridor one pixel wide, 1500 x 1500: a recursive fill would exhaust the
    // stack; the scanline fill reaches its far end.
    void floodFillLongCorridor()
    {
        const int size = 1500;
        RasterImage image = filled(size, size, colorref::White);
        image.pen() = Pen{colorref::Black, 1, PenStyle::Solid, PenMode::Copy};
        for (int y = 1; y < size; y += 2) {
            image.moveTo(y % 4 == 1 ? 0 : 1, y);
            image.lineTo(y % 4 == 1 ? size - 1 : size, y);
        }
        image.brush().color = colorref::grey(58);
        image.floodFill(0, 0, colorref::White, FloodFillMode::Surface);
        QCOMPARE(image.pixel(size - 1, size - 2), colorref::grey(58)); // the last corridor
        QCOMPARE(image.pixel(0, size - 3), colorref::Black);
    }

    // The fill reaches exactly the pixels joined to the start through sides of matching pixels,
    // however the walls fork and join: compared with a pixel-by-pixel search on random walls.
    void floodFillMatchesSearch_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("pattern");
        QTest::addColumn<int>("wallPercent");
        // Black walls on white; each row starts the fill at another white pixel. Sparse walls
        // leave long runs, which are tested several pixels at a time. A negative percentage
        // makes walls of whole columns with a few gaps: corridors of every width up to a few
        // pixels, which are walked row after row.
        for (const int walls : {3, 25, 40, 55, -30}) {
            QTest::addRow("surface, solid, %d%% walls", walls)
                << int(FloodFillMode::Surface) << false << walls;
            QTest::addRow("surface, pattern, %d%% walls", walls)
                << int(FloodFillMode::Surface) << true << walls;
            QTest::addRow("border, solid, %d%% walls", walls)
                << int(FloodFillMode::Border) << false << walls;
        }
    }
    void floodFillMatchesSearch()
    {
        QFETCH(int, mode);
        QFETCH(bool, pattern);
        QFETCH(int, wallPercent);
        // Rows a multiple of 16 bytes apart let a corridor's tests be set up once for all rows.
        const int w = wallPercent < 0 ? 64 : 61;
        const int h = 43;
        QRandomGenerator random(quint32(wallPercent * 4 + mode * 2 + int(pattern)));
        RasterImage image = filled(w, h, colorref::White);
        std::vector<bool> wallColumn(static_cast<size_t>(w));
        for (int x = 0; x < w; ++x) {
            wallColumn[size_t(x)] = int(random.bounded(100)) < -wallPercent;
        }
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool wall = wallPercent < 0
                                      ? wallColumn[size_t(x)] && random.bounded(100) >= 8
                                      : int(random.bounded(100)) < wallPercent;
                if (wall) {
                    image.setPixel(x, y, colorref::Black);
                }
            }
        }
        const RasterImage before = image;
        QPoint start(w / 2, h / 2);
        while (before.pixel(start.x(), start.y()) != colorref::White) {
            start.rx() = (start.x() + 1) % w;
        }
        QImage tile(3, 2, QImage::Format_RGB32);
        for (int i = 0; i < 6; ++i) {
            tile.setPixel(i % 3, i / 3, qRgb(40 * i, 200 - 30 * i, 90));
        }
        const ColorRef paint = colorref::rgb(0, 200, 0);
        image.brush().color = paint;
        if (pattern) {
            image.brush().pattern = tile;
        }
        const bool surface = mode == int(FloodFillMode::Surface);
        image.floodFill(start.x(), start.y(), surface ? colorref::White : colorref::Black,
                        FloodFillMode(mode));

        // The region, searched a pixel at a time from the start.
        std::vector<bool> region(size_t(w * h), false);
        std::vector<QPoint> pending{start};
        region[size_t(start.y() * w + start.x())] = true;
        while (!pending.empty()) {
            const QPoint p = pending.back();
            pending.pop_back();
            for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                const QPoint q = p + step;
                // White is the surface's colour and the only one that is not the border's.
                if (q.x() < 0 || q.y() < 0 || q.x() >= w || q.y() >= h ||
                    region[size_t(q.y() * w + q.x())] ||
                    before.pixel(q.x(), q.y()) != colorref::White) {
                    continue;
                }
                region[size_t(q.y() * w + q.x())] = true;
                pending.push_back(q);
            }
        }
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const ColorRef expected = !region[size_t(y * w + x)] ? before.pixel(x, y)
                                          : pattern ? colorref::fromRgb(tile.pixel(x % 3, y % 2))
                                                    : paint;
                QVERIFY2(image.pixel(x, y) == expected,
                         qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
            }
        }
    }

    void textOut()
    {
        RasterImage image = filled(120, 60, colorref::White);
        image.font().font = QFont(QStringLiteral("Noto Sans"));
        image.font().font.setPixelSize(30);
        image.font().color = colorref::rgb(200, 0, 0);
        image.brush().color = colorref::grey(58);
        image.textOut(10, 5, QStringLiteral("Hi"));
        const PixelSet pixels = painted(image, colorref::White);
        QVERIFY(!pixels.empty());
        QCOMPARE(pixels.begin()->first, 10); // the background starts at the given corner
        QCOMPARE(image.pixel(10, 5), colorref::grey(58));
        int glyphPixels = 0;
        for (const auto& [x, y] : pixels) {
            const ColorRef c = image.pixel(x, y);
            QVERIFY(c == colorref::grey(58) || c == colorref::rgb(200, 0, 0)); // no smoothing
            glyphPixels += c == colorref::rgb(200, 0, 0);
        }
        QVERIFY(glyphPixels > 20);
    }

    void fileRoundTripAndFailures()
    {
        QTemporaryDir dir;
        const RasterImage picture = noisePicture(13, 7);
        const QString bmp = dir.filePath(QStringLiteral("pic.bmp"));
        QString error;
        QVERIFY2(picture.save(bmp, &error), qPrintable(error));
        QFile file(bmp);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(2), QByteArray("BM"));
        file.close();
        RasterImage loaded;
        QVERIFY(loaded.load(bmp, &error));
        DL_COMPARE_IMAGES(loaded.image(), picture.image());

        // A PNG keeps the resolution, as a bitmap does.
        QImage dense = picture.image();
        dense.setDotsPerMeterX(5000);
        dense.setDotsPerMeterY(6000);
        const QString densePng = dir.filePath(QStringLiteral("dense.png"));
        QVERIFY(RasterImage(dense).save(densePng));
        QCOMPARE(QImage(densePng).dotsPerMeterY(), 6000);

        // Saving into a folder that does not exist fails, naming the file.
        const QString missing = dir.filePath(QStringLiteral("no/such/pic.bmp"));
        QVERIFY(!picture.save(missing, &error));
        QVERIFY2(error.contains(QStringLiteral("pic.bmp")), qPrintable(error));

        // Transparent pixels are laid over white.
        QImage clear(2, 1, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        clear.setPixel(1, 0, qRgba(0, 0, 255, 255));
        const QString png = dir.filePath(QStringLiteral("clear.png"));
        QVERIFY(clear.save(png));
        QVERIFY(loaded.load(png, &error));
        QCOMPARE(loaded.pixel(0, 0), colorref::White);
        QCOMPARE(loaded.pixel(1, 0), colorref::rgb(0, 0, 255));
        QCOMPARE(imageFormatForPath(QStringLiteral("a/b.PNG")), QByteArray("png"));
        QCOMPARE(imageFormatForPath(QStringLiteral("a/b.bkp")), QByteArray("bmp"));
    }

    // A bitmap's header holds its sizes in 32 bits: a larger picture is refused, not written
    // with a header that lies. Its 6.4 GB of pixels are only reserved, never touched.
    void bitmapTooLargeForItsHeader()
    {
        const int side = 40000;
        const size_t bytes = size_t(side) * side * sizeof(QRgb);
        void* pixels =
            ::mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        QVERIFY(pixels != MAP_FAILED);
        QString error;
        bool saved = false;
        {
            const RasterImage huge{QImage(static_cast<const uchar*>(pixels), side, side,
                                          side * int(sizeof(QRgb)), QImage::Format_RGB32)};
            QCOMPARE(huge.width(), side);
            // A writer that went ahead would stop at 1 MiB instead of filling the disk.
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit savedLimit = {};
            ::getrlimit(RLIMIT_FSIZE, &savedLimit);
            const rlimit small{rlim_t(1) << 20, savedLimit.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, &small);
            QTemporaryDir dir;
            saved = huge.save(dir.filePath(QStringLiteral("huge.bmp")), &error);
            ::setrlimit(RLIMIT_FSIZE, &savedLimit);
        }
        ::munmap(pixels, bytes);
        QVERIFY(!saved);
        QVERIFY2(error.contains(QLatin1String("too large for a Windows bitmap")),
                 qPrintable(error));
    }

    // A save never puts a file in the place of something else, whatever the writer.
    void saveRefusesWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("bitmap") << QStringLiteral("fifo.bmp");
        QTest::newRow("PNG") << QStringLiteral("fifo.png");
        QTest::newRow("JPEG, by Qt's writer") << QStringLiteral("fifo.jpg");
    }
    void saveRefusesWhatIsNotAFile()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString fifo = hostile::makePath(dir, hostile::Fifo, name);
        const QString link = dir.filePath(QStringLiteral("link-") + name);
        QVERIFY(QFile::link(fifo, link));
        for (const QString& path : {fifo, link}) {
            QString error;
            QVERIFY(!noisePicture(8, 8).save(path, &error));
            QVERIFY2(error.contains(path) && error.contains(QLatin1String("is not a regular file")),
                     qPrintable(error));
        }
        QVERIFY(!QFileInfo(fifo).isFile());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), 2);
    }

    // Every kind of file a name can lead to: only a whole regular picture file loads; the rest
    // is refused at once with the reason, and the picture stays as it was.
    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: the row's path is made by the test
        QTest::addColumn<QString>("refusal");  // empty: loads
        const QByteArray bmp = encoded("BMP");
        const QByteArray jpeg = encoded("JPG");
        QByteArray hugeJpeg = jpeg;
        hugeJpeg.replace(hugeJpeg.indexOf("\xff\xc0") + 5, 4, "\x9c\x40\x9c\x40"); // 40000 x 40000
        const QByteArray png = encoded("PNG");
        // After the header, a text chunk whose length claims 1.8 GB, in 304 bytes all told.
        const QByteArray lyingPng = png.first(33) +
                                    QByteArray("\x70\x00\x00\x25tEXtComment\x00", 16) +
                                    QByteArray(255, 'A');
        const QString cut = QStringLiteral("the file ends before its picture data");

        QTest::newRow(qPrintable(hostile::Folder))
            << QByteArray() << QStringLiteral("is a directory");
        QTest::newRow(qPrintable(hostile::Fifo))
            << QByteArray() << QStringLiteral("is not a regular file");
        QTest::newRow(qPrintable(hostile::DevZero))
            << QByteArray() << QStringLiteral("is not a regular file");
        QTest::newRow(qPrintable(hostile::Missing))
            << QByteArray() << QStringLiteral("no such file");
        QTest::newRow(qPrintable(hostile::NulInName))
            << QByteArray() << QStringLiteral("contains a NUL");
        QTest::newRow("bitmap") << bmp << QString();
        QTest::newRow("bitmap cut short") << bmp.chopped(10) << cut;
        QTest::newRow("RLE bitmap cut short")
            << bitmap(4, 2, 8, 1, QByteArray("\x04\x01\x00\x00", 4)) << cut;
        QTest::newRow("RLE bitmap ending early, the rest red")
            << bitmap(4, 2, 8, 1, QByteArray("\x02\x01\x00\x01", 4)) << QString();
        QTest::newRow("JPEG") << jpeg << QString();
        QTest::newRow("JPEG cut short") << jpeg.first(jpeg.size() * 2 / 3) << cut;
        QTest::newRow("JPEG of 40000 x 40000") << hugeJpeg << QStringLiteral("too large");
        QTest::newRow("PNG") << png << QString();
        QTest::newRow("PNG cut short") << png.chopped(20) << cut;
        QTest::newRow("PNG chunk longer than the file")
            << lyingPng << QStringLiteral("its tEXt chunk claims 1879048229 bytes");
        QTest::newRow("GIF cut short")
            << QByteArray("GIF89a\x04\x00\x04\x00\x80\x00\x00\xff\x00\x00\x00\x00\xff"
                          ",\x00\x00\x00\x00\x04\x00\x04\x00\x00\x02\x0a\x84\x8f\xa9",
                          34)
            << cut;
    }
    void hostileFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString path = hostile::makePath(dir, tag, QStringLiteral("picture"));
        QVERIFY(!path.isEmpty());
        if (!bytes.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        RasterImage picture(1, 1);
        picture.setPixel(0, 0, colorref::rgb(1, 2, 3));
        QString error;
        // Memory comes dirty, so pixels a file leaves unset would show; a blocked open ends
        // the test instead of hanging it.
        mallopt(M_PERTURB, 0x5a);
        ::alarm(20);
        const bool loaded = picture.load(path, &error);
        ::alarm(0);
        mallopt(M_PERTURB, 0);
        if (!refusal.isEmpty()) {
            QVERIFY(!loaded);
            QVERIFY2(error.contains(path) && error.contains(refusal), qPrintable(error));
            QCOMPARE(picture.clipRect(), QRect(0, 0, 1, 1));
            QCOMPARE(picture.pixel(0, 0), colorref::rgb(1, 2, 3));
            return;
        }
        QVERIFY2(loaded, qPrintable(error));
        QVERIFY(picture.width() >= 4);
        if (tag.contains(QLatin1String("RLE"))) {
            QCOMPARE(picture.pixel(0, 1), colorref::rgb(0, 0, 255));
            QCOMPARE(picture.pixel(3, 0), colorref::rgb(255, 0, 0));
        }
    }
};

DEPTHLOOM_TEST_CLASS(RasterImageTest);
#include "RasterImageTest.moc"
