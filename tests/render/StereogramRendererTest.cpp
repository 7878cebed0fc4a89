#include "render/StereogramRenderer.h"

#include "RenderFixtures.h"
#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "raster/RasterImage.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// Random greys, each over a run of 1 to `longestRun` pixels of its row: plateaus as wide as
// several blocks, with steps up and down between them.
RasterImage randomDepth(int width, int height, quint32 seed, int longestRun = 1)
{
    QRandomGenerator random(seed);
    RasterImage depth(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width;) {
            const ColorRef grey = colorref::grey(int(random.bounded(256)));
            for (int end = std::min(width, x + 1 + int(random.bounded(longestRun))); x < end; ++x) {
                depth.setPixel(x, y, grey);
            }
        }
    }
    return depth;
}

// The row step written out pixel by pixel through the bounds-checked accessors, as the
// algorithm is stated; the renderer's row loops must agree with it everywhere.
RasterImage referenceRender(const RasterImage& strip, const RasterImage& depth)
{
    const int s = strip.width();
    RasterImage out(s + depth.width(), depth.height());
    for (int y = 0; y < depth.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            out.setPixel(x, y, x < s ? strip.pixel(x, y) : depth.pixel(x - s, y));
        }
    }
    for (int y = 0; y < out.height(); ++y) {
        int last = 0;
        for (int x = s; x < out.width(); ++x) {
            const int shift = StereogramRenderer::shiftForRed(colorref::redByte(out.pixel(x, y)));
            if (x + shift > last) {
                out.setPixel(x, y, out.pixel(x + shift - s, y));
                last = x + shift;
            } else {
                out.setPixel(x, y, out.pixel(x - 20, y - 20));
            }
        }
    }
    return out;
}

} // namespace

class StereogramRendererTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shiftFromGrey_data()
    {
        QTest::addColumn<int>("grey");
        QTest::addColumn<int>("shift");
        QTest::newRow("black") << 0 << 0;
        QTest::newRow("ground plane") << 56 << 0;
        QTest::newRow("ground colour") << 58 << 0;
        QTest::newRow("0.5 ties to 0") << 60 << 0;
        QTest::newRow("0.75") << 62 << 1;
        QTest::newRow("1.5 ties to 2") << 68 << 2;
        QTest::newRow("2.5 ties to 2") << 76 << 2;
        QTest::newRow("3.5 ties to 4") << 84 << 4;
        QTest::newRow("254") << 254 << 25;
        QTest::newRow("255") << 255 << 25;
    }
    void shiftFromGrey()
    {
        QFETCH(int, grey);
        QFETCH(int, shift);
        QCOMPARE(StereogramRenderer::shiftForRed(grey), shift);
    }

    void progressValues()
    {
        RasterImage output;
        StereogramRenderer renderer(output);
        renderer.PrepareOutput(patternStrip(30, 4), filled(10, 4, colorref::grey(58)));
        QVERIFY(renderer.Rendering());
        QList<int> values;
        for (int i = 0; i < 5; ++i) {
            values << renderer.RenderRow(30, 4);
        }
        QCOMPARE(values, (QList<int>{0, 25, 50, 75, StereogramRenderer::EndMark}));
        QVERIFY(renderer.RenderDone());

        // 1/8 of 100 is 12.5, which goes to the even 12; 3/8 gives 37.5, which goes to 38.
        QCOMPARE(StereogramRenderer::progressFor(1, 8), 12);
        QCOMPARE(StereogramRenderer::progressFor(3, 8), 38);
        // A depth map resized mid-way keeps the value in range and never divides by 0.
        QCOMPARE(StereogramRenderer::progressFor(50, 10), 100);
        QCOMPARE(StereogramRenderer::progressFor(3, 0), 100);
        QCOMPARE(StereogramRenderer::progressFor(3, -5), 100);
    }

    void emptyDepthMaps()
    {
        // 0 rows high: the first step is the end mark.
        RasterImage output;
        StereogramRenderer renderer(output);
        renderer.PrepareOutput(patternStrip(30, 10), filled(40, 0, colorref::grey(90)));
        QCOMPARE(output.height(), 0);
        QCOMPARE(renderer.RenderRow(30, 0), StereogramRenderer::EndMark);
        QVERIFY(renderer.RenderDone());

        // 0 columns wide: the picture is the strip alone.
        const RasterImage strip = patternStrip(30, 10);
        DL_COMPARE_IMAGES(
            StereogramRenderer::renderAll(strip, filled(0, 10, colorref::grey(90))).image(),
            strip.image());
    }

    // The stated properties on flat depth maps: ground level repeats the strip with its own
    // period, shift 1 repeats it with a period one shorter.
    void flatDepth_data()
    {
        QTest::addColumn<int>("grey");
        QTest::addColumn<int>("period");
        QTest::newRow("ground 56") << 56 << 40;
        QTest::newRow("below ground") << 10 << 40;
        QTest::newRow("shift 1") << 64 << 39;
    }
    void flatDepth()
    {
        QFETCH(int, grey);
        QFETCH(int, period);
        const RasterImage strip = patternStrip(40, 30);
        const RasterImage out =
            StereogramRenderer::renderAll(strip, filled(200, 30, colorref::grey(grey)));
        QCOMPARE(out.width(), 240);
        for (int y = 0; y < out.height(); ++y) {
            for (int x = 0; x < out.width(); ++x) {
                const ColorRef expected = x < 40 ? strip.pixel(x, y) : out.pixel(x - period, y);
                if (out.pixel(x, y) != expected) {
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
                }
            }
        }
    }

    // A drop of d in shift takes the next d pixels from 20 up and 20 left; in the first 20
    // rows those are black.
    void fallbackAfterDepthDrop()
    {
        const int s = 40;
        RasterImage depth = filled(100, 30, colorref::grey(56));
        // Shift 3 (grey 80) up to column 49 of the depth map, then ground level.
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 50; ++x) {
                depth.setPixel(x, y, colorref::grey(80));
            }
        }
        const RasterImage out = StereogramRenderer::renderAll(patternStrip(s, 30), depth);
        const int drop = s + 50; // first output column back at ground level
        for (int y = 0; y < 30; ++y) {
            for (int x = drop; x < drop + 3; ++x) {
                const ColorRef expected = y < 20 ? colorref::Black : out.pixel(x - 20, y - 20);
                QCOMPARE(out.pixel(x, y), expected);
            }
            // The normal path again right after the drop.
            QCOMPARE(out.pixel(drop + 3, y), out.pixel(drop + 3 - s, y));
        }
    }

    // The fast row loop against the checked one and the plain statement of the algorithm, on
    // noise, for strips wider than the largest shift and for narrow ones whose sources fall
    // to the right of x or past the row's end.
    void matchesReference_data()
    {
        QTest::addColumn<int>("stripWidth");
        QTest::addColumn<int>("longestRun");
        QTest::newRow("wide strip") << 120 << 1;
        QTest::newRow("wide strip, plateaus") << 120 << 40;
        QTest::newRow("narrowest strip done 16 pixels at a time") << 41 << 1;
        QTest::newRow("narrowest strip done 16 pixels at a time, plateaus") << 41 << 40;
        QTest::newRow("widest strip done 8 pixels at a time") << 40 << 1;
        QTest::newRow("narrowest strip done 8 pixels at a time") << 33 << 1;
        QTest::newRow("widest strip done 1 pixel at a time") << 32 << 1;
        QTest::newRow("just wider than the largest shift") << 26 << 1;
        QTest::newRow("as wide as the largest shift") << 25 << 1;
        QTest::newRow("narrower than the fallback offset") << 12 << 1;
        QTest::newRow("one column") << 1 << 1;
    }
    void matchesReference()
    {
        QFETCH(int, stripWidth);
        QFETCH(int, longestRun);
        const RasterImage strip = patternStrip(stripWidth, 60);
        const RasterImage depth = randomDepth(150, 60, quint32(stripWidth), longestRun);
        DL_COMPARE_IMAGES(StereogramRenderer::renderAll(strip, depth).image(),
                          referenceRender(strip, depth).image());
    }

    // The owner passes the strip's current width: a strip widened mid-way starts the row
    // further right and leaves the columns before it as the depth map's greys.
    void stripResizedWhileRendering()
    {
        const RasterImage strip = patternStrip(30, 3);
        const RasterImage depth = filled(20, 3, colorref::grey(100));
        RasterImage output;
        StereogramRenderer renderer(output);
        renderer.PrepareOutput(strip, depth);
        QCOMPARE(renderer.RenderRow(45, 3), 0);
        for (int x = 30; x < 45; ++x) {
            QCOMPARE(output.pixel(x, 0), colorref::grey(100));
        }
        QVERIFY(output.pixel(45, 0) != colorref::grey(100));
        QCOMPARE(renderer.StripWidth(), 30);
    }
};

DEPTHLOOM_TEST_CLASS(StereogramRendererTest);
#include "StereogramRendererTest.moc"
