#include "RecordingHost.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "raster/RasterImage.h"
#include "tools/DrawingState.h"
#include "tools/ToolText.h"

#include <QTest>

#include <optional>

namespace {

// 200 x 150 of colours that differ from pixel to pixel, so that mix and opaque paint differ.
QImage ground()
{
    QImage image(200, 150, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(255 - x, 100 + y, (x * y) & 0xFF));
        }
    }
    return image;
}

QFont arial(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(pixels);
    return font;
}

// `base` with `text` written at `topLeft` in `font` and `colour`: glyph pixels take the colour
// (opaque) or the AND of their value and the colour (mix).
QImage written(QImage base, const QString& text, QPoint topLeft, const QFont& font, QRgb colour,
               bool opaque)
{
    RasterImage glyphs(base.width(), base.height());
    glyphs.brush().color = colorref::Black;
    glyphs.rectangle(-1, -1, base.width() + 1, base.height() + 1);
    glyphs.font() = TextFont{font, colorref::White};
    glyphs.textOut(topLeft.x(), topLeft.y(), text);
    for (int y = 0; y < base.height(); ++y) {
        for (int x = 0; x < base.width(); ++x) {
            if (glyphs.image().pixel(x, y) != 0xFFFF'FFFF) {
                continue;
            }
            base.setPixel(x, y, opaque ? colour : base.pixel(x, y) & colour);
        }
    }
    return base;
}

struct Canvas
{
    Canvas() : image(ground()) { state.ActiveImage = &image; }
    RasterImage image;
    DrawingState state;
    RecordingHost host;
};

void type(ToolText& tool, const QString& keys)
{
    for (QChar key : keys) {
        tool.KeyPress(key);
    }
}

} // namespace

class TextToolTest : public QObject
{
    Q_OBJECT

private slots:
    void caret_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<std::optional<QPoint>>("click");
        QTest::addColumn<QPoint>("top");
        QTest::addColumn<int>("length");
        QTest::newRow("before the first click")
            << 60 << std::optional<QPoint>() << QPoint(10, 10) << 50;
        QTest::newRow("centred on the click")
            << 60 << std::optional<QPoint>(QPoint(30, 100)) << QPoint(30, 70) << 60;
        QTest::newRow("half down to even")
            << 15 << std::optional<QPoint>(QPoint(30, 20)) << QPoint(30, 12) << 15;
        QTest::newRow("half up to even")
            << 15 << std::optional<QPoint>(QPoint(30, 21)) << QPoint(30, 14) << 15;
    }
    // The caret blinks as a line of inverted pixels that leaves nothing behind, also when the
    // tool goes while it shows.
    void caret()
    {
        QFETCH(int, pixels);
        QFETCH(std::optional<QPoint>, click);
        QFETCH(QPoint, top);
        QFETCH(int, length);
        Canvas c;
        c.host.font = arial(pixels);
        const QImage before = c.image.image();
        {
            ToolText tool(c.state, c.host);
            if (click) {
                tool.MouseDown(click->x(), click->y());
                QCOMPARE(QPoint(tool.X, tool.Y), top);
            }
            QImage shown = before;
            for (int y = top.y(); y < top.y() + length; ++y) {
                shown.setPixel(top.x(), y, ~before.pixel(top.x(), y));
            }
            tool.Tick();
            DL_COMPARE_IMAGES(c.image.image(), shown);
            tool.Tick();
            DL_COMPARE_IMAGES(c.image.image(), before);
            tool.Tick();
        }
        DL_COMPARE_IMAGES(c.image.image(), before);
    }

    void typing_data()
    {
        QTest::addColumn<bool>("clicked"); // at (20, 40), so the text starts at (20, 30)
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("opaque");
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<QString>("text");
        const QRgb blue = qRgb(0, 128, 255);
        QTest::newRow("mix") << true << "Ab1" << false << blue << "Ab1";
        QTest::newRow("opaque") << true << "Ab1" << true << blue << "Ab1";
        QTest::newRow("backspace") << true << "Ab1\b" << true << blue << "Ab";
        QTest::newRow("backspace on an empty text") << true << "\b" << true << blue << "";
        QTest::newRow("escape") << true << "Ab\x1b" << true << blue << "";
        QTest::newRow("escape, then typing") << true
                                             << "Ab\x1b"
                                                "c"
                                             << true << blue << "c";
        QTest::newRow("white in mix mode")
            << true << "Ab1" << false << qRgb(255, 255, 255) << "Ab1";
        QTest::newRow("before any click") << false
                                          << "Ab\x1b"
                                             "Ab\b"
                                          << true << blue << "A";
    }
    void typing()
    {
        QFETCH(bool, clicked);
        QFETCH(QString, keys);
        QFETCH(bool, opaque);
        QFETCH(QRgb, colour);
        QFETCH(QString, text);
        Canvas c;
        c.host.font = arial(20);
        c.state.OpaquePaint = opaque;
        c.state.CurrentColor = colorref::fromRgb(colour);
        ToolText tool(c.state, c.host);
        if (clicked) {
            tool.MouseDown(20, 40);
        }
        type(tool, keys);
        QCOMPARE(tool.text(), text);
        const QPoint topLeft = clicked ? QPoint(20, 30) : QPoint(10, 10);
        DL_COMPARE_IMAGES(c.image.image(),
                          written(ground(), text, topLeft, c.host.font, colour, opaque));
        // The font exists and draws: only white mix text or no text leaves the picture.
        QCOMPARE(c.image.image() == ground(), text.isEmpty() || colour == qRgb(255, 255, 255));
    }

    // Undo while the caret shows takes the caret out with the text, so the caret leaves
    // nothing behind when the tool goes.
    void undoWhileCaretShows()
    {
        Canvas c;
        c.host.font = arial(20);
        {
            ToolText tool(c.state, c.host);
            tool.MouseDown(20, 40);
            type(tool, QStringLiteral("Ab"));
            tool.Tick();
            QVERIFY(tool.caret().shown());
            tool.Undo();
            DL_COMPARE_IMAGES(c.image.image(), ground());
        }
        DL_COMPARE_IMAGES(c.image.image(), ground());
    }

    // A click keeps the earlier text; Undo puts back the picture of the last click and keeps
    // the text, which the next key draws again; a font chosen while typing takes over at the
    // next key, and the caret keeps its length.
    void clickUndoAndFontChange()
    {
        Canvas c;
        const QFont small = arial(20);
        const QFont large = arial(32);
        const QRgb blue = qRgb(0, 128, 255);
        c.host.font = small;
        c.state.OpaquePaint = true;
        c.state.CurrentColor = colorref::fromRgb(blue);
        ToolText tool(c.state, c.host);
        tool.MouseDown(20, 40);
        type(tool, QStringLiteral("ab"));
        tool.MouseDown(20, 100);
        type(tool, QStringLiteral("c"));
        const QImage ab =
            written(ground(), QStringLiteral("ab"), QPoint(20, 30), small, blue, true);
        DL_COMPARE_IMAGES(c.image.image(),
                          written(ab, QStringLiteral("c"), QPoint(20, 90), small, blue, true));

        tool.Undo();
        DL_COMPARE_IMAGES(c.image.image(), ab);
        c.host.font = large;
        type(tool, QStringLiteral("d"));
        DL_COMPARE_IMAGES(c.image.image(),
                          written(ab, QStringLiteral("cd"), QPoint(20, 90), large, blue, true));
        QCOMPARE(tool.caret().length(), 20);
    }
};

DEPTHLOOM_TEST_CLASS(TextToolTest);
#include "TextToolTest.moc"
