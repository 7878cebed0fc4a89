#include "render/LiveStereogram.h"

#include "common/ImageCompare.h"
#include "common/TestMain.h"
#include "render/FineRenderer.h"
#include "render/StereogramRenderer.h"

#include <QTest>

#include <limits>
#include <vector>

namespace {

constexpr qint64 NoLimit = std::numeric_limits<qint64>::max();

QRgb grey(int level)
{
    return qRgb(level, level, level);
}

void fill(RasterImage& image, const QRect& area, QRgb colour)
{
    const QRect inside = area & image.clipRect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        std::fill_n(image.scanLine(y) + inside.left(), inside.width(), colour);
    }
}

RasterImage patternStrip(int width, int height)
{
    RasterImage strip(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            strip.scanLine(y)[x] = qRgb(x * 7 + 3, y * 5 + 1, (x * y) % 251);
        }
    }
    return strip;
}

// Ground with a raised box over every row: its right edge sends pixels of every row to the
// fallback, 20 rows up, so a change goes on downwards in steps of 20 rows.
RasterImage depthWithEdge(int width, int height)
{
    RasterImage depth(width, height);
    fill(depth, depth.clipRect(), grey(58));
    fill(depth, QRect(20, 0, 40, height), grey(140));
    return depth;
}

struct Edit
{
    enum
    {
        Depth,
        Strip,
        DepthSize,  // the depth map resized to the area's size, reported whole
        StripSize,  // a new strip of the area's size, reported whole
        Unreported, // depth pixels changed without a report
    } kind;
    QRect area;
    QRgb colour = 0;
};

const struct
{
    const char* name;
    std::vector<Edit> edits;
    int rows; // at most this many rows rendered for the edits, or -1
} Scripts[] = {
    {"dab on the edge reaches the rows below", {{Edit::Depth, {45, 30, 12, 5}, grey(230)}}, -1},
    {"dab on flat ground redoes its rows and the ones 20 below",
     {{Edit::Depth, {0, 0, 100, 100}, grey(58)}, {Edit::Depth, {70, 50, 6, 5}, grey(200)}},
     100 + 10},
    {"dabs low and then high, strip painted",
     {{Edit::Depth, {70, 90, 8, 8}, grey(90)},
      {Edit::Depth, {10, 3, 30, 4}, grey(200)},
      {Edit::Strip, {2, 40, 10, 30}, qRgb(250, 10, 10)}},
     -1},
    {"resized, strip replaced by a shorter one",
     {{Edit::DepthSize, {0, 0, 80, 70}},
      {Edit::Depth, {30, 20, 10, 40}, grey(160)},
      {Edit::StripSize, {0, 0, 0, 50}},
      {Edit::Depth, {5, 60, 10, 5}, grey(100)}},
     -1},
    {"pixels changed without a report", {{Edit::Unreported, {50, 10, 20, 20}, grey(250)}}, -1},
};

enum Renderer
{
    AsMake3D,
    Fine,
    FineRandomDots, // with the convergence dots
};

LiveStereogram::Mode modeFor(int renderer)
{
    return {renderer != AsMake3D,
            {renderer == FineRandomDots ? 2 : 4, renderer == FineRandomDots},
            renderer == FineRandomDots,
            7};
}

RasterImage fromScratch(const RasterImage& strip, const RasterImage& depth,
                        const LiveStereogram::Mode& mode)
{
    return !mode.fine
               ? StereogramRenderer::renderAll(strip, depth)
               : FineRenderer::render(mode.randomStrip
                                          ? FineRenderer::randomStrip(depth.height(), mode.seed)
                                          : strip,
                                      depth, mode.options);
}

} // namespace

class LiveStereogramTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // After every edit the picture is the one a rendering from scratch gives. Sliced, each edit
    // comes one row into a pass, above or below the rows still to do. With the finer renderer
    // an edit of the depth map redoes its own rows and no other, and one of the pattern strip
    // none while random dots stand in for it.
    void followsEdits_data()
    {
        QTest::addColumn<int>("script");
        QTest::addColumn<int>("stripWidth");
        QTest::addColumn<bool>("sliced");
        QTest::addColumn<int>("renderer");
        for (int i = 0; i < int(std::size(Scripts)); ++i) {
            QTest::addRow("%s", Scripts[i].name) << i << 40 << false << int(AsMake3D);
            QTest::addRow("%s, sliced", Scripts[i].name) << i << 40 << true << int(AsMake3D);
            QTest::addRow("%s, narrow strip", Scripts[i].name) << i << 12 << false << int(AsMake3D);
            QTest::addRow("%s, fine", Scripts[i].name) << i << 40 << false << int(Fine);
            QTest::addRow("%s, fine, sliced", Scripts[i].name) << i << 40 << true << int(Fine);
            QTest::addRow("%s, random dots", Scripts[i].name)
                << i << 40 << false << int(FineRandomDots);
        }
    }
    void followsEdits()
    {
        QFETCH(int, script);
        QFETCH(int, stripWidth);
        QFETCH(bool, sliced);
        QFETCH(int, renderer);
        RasterImage strip = patternStrip(stripWidth, 100);
        RasterImage depth = depthWithEdge(100, 100);
        LiveStereogram live(strip, depth);
        live.setMode(modeFor(renderer));
        QVERIFY(live.render(NoLimit));
        const qint64 rowsBefore = live.rowsRendered();
        for (const Edit& edit : Scripts[script].edits) {
            const qint64 rowsBeforeEdit = live.rowsRendered();
            RasterImage& image = edit.kind == Edit::Strip ? strip : depth;
            if (edit.kind == Edit::DepthSize) {
                depth.brush().color = colorref::grey(58);
                depth.setSize(edit.area.width(), edit.area.height());
            } else if (edit.kind == Edit::StripSize) {
                strip = patternStrip(strip.width(), edit.area.height());
            } else {
                fill(image, edit.area, edit.colour);
            }
            if (edit.kind != Edit::Unreported) {
                live.rowsChanged(edit.area.top(), edit.area.bottom());
            }
            if (sliced) {
                QCOMPARE(live.render(0), false);
                continue;
            }
            QVERIFY(live.render(NoLimit));
            DL_COMPARE_IMAGES(live.picture().image(),
                              fromScratch(strip, depth, live.mode()).image());
            const qint64 redone = live.rowsRendered() - rowsBeforeEdit;
            if (renderer != AsMake3D && edit.kind == Edit::Depth) {
                QCOMPARE(redone, qint64((edit.area & depth.clipRect()).height()));
            } else if (renderer == FineRandomDots && edit.kind == Edit::Strip) {
                QCOMPARE(redone, qint64(0));
            }
        }
        while (!live.render(0)) {
        }
        QVERIFY(live.upToDate() && live.hasPicture());
        DL_COMPARE_IMAGES(live.picture().image(), fromScratch(strip, depth, live.mode()).image());
        if (Scripts[script].rows >= 0) {
            QVERIFY(live.rowsRendered() - rowsBefore <= Scripts[script].rows);
        }
    }

    // A tool's marks drawn into the depth map are no part of the picture; their own reports are
    // ignored, and they are back afterwards.
    void marksLeftOut()
    {
        const RasterImage strip = patternStrip(40, 60);
        const RasterImage clean = depthWithEdge(90, 60);
        RasterImage depth = clean;
        const QRect mark(10, 5, 50, 30);
        auto invertMark = [&] {
            for (int y = mark.top(); y <= mark.bottom(); ++y) {
                for (int x = mark.left(); x <= mark.right(); ++x) {
                    depth.scanLine(y)[x] ^= 0x00FFFFFF;
                }
            }
        };
        LiveStereogram* self = nullptr;
        LiveStereogram live(strip, depth, [&](bool) {
            invertMark();
            QVERIFY(!self->rowsChanged(mark.top(), mark.bottom()));
        });
        self = &live;
        invertMark();
        QVERIFY(live.render(NoLimit));
        DL_COMPARE_IMAGES(live.picture().image(),
                          StereogramRenderer::renderAll(strip, clean).image());
        QVERIFY(live.upToDate());
        QVERIFY(depth.image() != clean.image());
    }
};

DEPTHLOOM_TEST_CLASS(LiveStereogramTest);
#include "LiveStereogramTest.moc"
