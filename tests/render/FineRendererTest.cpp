#include "render/FineRenderer.h"

#include "RenderFixtures.h"
#include "StereoDecoder.h"
#include "TextureContrast.h"
#include "common/TestMain.h"
#include "raster/RasterImage.h"
#include "render/DepthDecoder.h"
#include "render/StereogramRenderer.h"

#include <QSet>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

RasterImage levelDepth(int width, int height, int grey)
{
    return filled(width, height, colorref::grey(grey));
}

// Ground with boxes and discs of several heights, some overlapping.
RasterImage shapesDepth(int width, int height)
{
    RasterImage depth = levelDepth(width, height, 56);
    depth.pen().style = PenStyle::Clear;
    const struct
    {
        int grey, x, y, size;
        bool disc;
    } shapes[] = {{140, 20, 10, 60, false},  {230, 60, 40, 50, true},  {100, 150, 20, 70, true},
                  {254, 250, 60, 40, false}, {180, 200, 80, 60, true}, {76, 290, 10, 30, false}};
    for (const auto& shape : shapes) {
        depth.brush().color = colorref::grey(shape.grey);
        if (shape.disc) {
            depth.ellipse(shape.x, shape.y, shape.x + shape.size, shape.y + shape.size);
        } else {
            depth.rectangle(shape.x, shape.y, shape.x + shape.size, shape.y + shape.size);
        }
    }
    return depth;
}

// A smooth dome rising from ground to `top`.
RasterImage domeDepth(int width, int height, int top)
{
    RasterImage depth(width, height);
    const double radius = 0.45 * std::min(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = (x + 0.5 - width / 2.0) / radius;
            const double dy = (y + 0.5 - height / 2.0) / radius;
            const int grey =
                int(std::lround(56 + (top - 56) * std::sqrt(std::max(0.0, 1 - dx * dx - dy * dy))));
            depth.setPixel(x, y, colorref::grey(grey));
        }
    }
    return depth;
}

// The product's decoder's reading of `picture`, made with a strip `stripWidth` wide.
stereodecoder::SeparationMap decoded(const RasterImage& picture, int stripWidth)
{
    return stereodecoder::fromDecoder(DepthDecoder::separations(picture.image(), stripWidth));
}

} // namespace

class FineRendererTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Flat depth repeats the picture at the separation of its grey, in every row, and ground
    // lays the strip down where the row renderer does (as it is at one sample a pixel, a
    // little softened at more); a short strip is tiled downwards.
    void flatDepth_data()
    {
        QTest::addColumn<int>("grey");
        QTest::addColumn<int>("oversample");
        QTest::addColumn<int>("period");
        QTest::newRow("ground 56") << 56 << 4 << 40;
        QTest::newRow("below ground") << 10 << 4 << 40;
        QTest::newRow("ground, 1 sample a pixel") << 56 << 1 << 40;
        QTest::newRow("shift 1") << 64 << 4 << 39;
        QTest::newRow("shift 8") << 120 << 4 << 32;
        QTest::newRow("shift 3, 7 samples a pixel") << 80 << 7 << 37;
    }
    void flatDepth()
    {
        QFETCH(int, grey);
        QFETCH(int, oversample);
        QFETCH(int, period);
        const RasterImage strip = patternStrip(40, 30);
        const RasterImage depth = levelDepth(200, 45, grey);
        const RasterImage out = FineRenderer::render(strip, depth, {oversample, false});
        QCOMPARE(out.width(), 240);
        QCOMPARE(out.height(), 45);
        // The map lies between ground margins half a strip wide, which only the pixels
        // within half the shift of the picture's edges show.
        const int margin = (40 - period) / 2 + 2;
        for (int y = 0; y < out.height(); ++y) {
            for (int x = 0; x < out.width(); ++x) {
                const ColorRef pixel = out.pixel(x, y);
                const bool repeats = x < period + margin || x >= out.width() - margin ||
                                     pixel == out.pixel(x - period, y);
                const bool tiled = y < 30 || pixel == out.pixel(x, y - 30);
                const bool onStrip =
                    period != 40 || oversample > 1 || pixel == strip.pixel(x % 40, y % 30);
                if (!repeats || !tiled || !onStrip) {
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
                }
            }
        }
    }

    // Separations between two samples: over 8 rows at one sample a pixel, grey 56 + d repeats
    // at one pixel less than the strip in d rows and at the strip's width in the others, so
    // every grey level has a depth of its own.
    void depthBetweenSamples_data()
    {
        QTest::addColumn<int>("eighths");
        for (const int d : {1, 3, 4, 7}) {
            QTest::addRow("grey %d", 56 + d) << d;
        }
    }
    void depthBetweenSamples()
    {
        QFETCH(int, eighths);
        const RasterImage strip = patternStrip(40, 16);
        const RasterImage out =
            FineRenderer::render(strip, levelDepth(200, 16, 56 + eighths), {1, false});
        int nearer = 0;
        for (int y = 0; y < out.height(); ++y) {
            bool at39 = true;
            bool at40 = true;
            for (int x = 43; x < out.width() - 3; ++x) {
                at39 = at39 && out.pixel(x, y) == out.pixel(x - 39, y);
                at40 = at40 && out.pixel(x, y) == out.pixel(x - 40, y);
            }
            QVERIFY2(at39 != at40, qPrintable(QStringLiteral("row %1").arg(y)));
            nearer += at39 ? 1 : 0;
        }
        QCOMPARE(nearer, 2 * eighths);
    }

    // Two tents, one each side of the middle, rising and falling by half a shift level a
    // pixel, at one sample a pixel: away from the middle every pixel is a copy of one a
    // separation away towards the middle, also where rounding leaves a pixel without a
    // partner of its own; none takes the strip's next colour, which would speckle the slope.
    void gentleSlopes()
    {
        RasterImage depth(400, 20);
        for (int y = 0; y < depth.height(); ++y) {
            for (int x = 0; x < depth.width(); ++x) {
                const int ridge = (x < 200 ? 70 : 330) + y;
                depth.setPixel(x, y,
                               colorref::grey(56 + std::max(0, 198 - 4 * std::abs(x - ridge))));
            }
        }
        const RasterImage out =
            FineRenderer::render(FineRenderer::randomStrip(20, 3), depth, {1, false});
        const int middle = out.width() / 2;
        int strays = 0;
        for (int y = 0; y < out.height(); ++y) {
            for (int x = 0; x < out.width(); ++x) {
                if (std::abs(x - middle) < 100) {
                    continue;
                }
                const int towards = x < middle ? 1 : -1;
                bool copy = false;
                for (int k = 74; k <= 100 && !copy; ++k) {
                    copy = out.pixel(x, y) == out.pixel(x + towards * k, y);
                }
                strays += copy ? 0 : 1;
            }
        }
        QCOMPARE(strays, 0);
    }

    // Boxes raised by 12 levels on a random-dot strip 100 wide, one on each side of the
    // middle: column d sits at d + 50 between the eyes' pictures, at separation 88, so the
    // right eye sees it 44 further right and the left eye 44 further left. Inside, each pixel
    // equals the one 88 to its left and keeps the ground's colours; beside the boxes the ground
    // repeats at 100. The ground just beside a box that only one eye sees (6 pixels, and the
    // box's side 6 more) matches nothing at the ground's separation: neither the box's nor the
    // ground's dots echo there.
    void raisedBoxes()
    {
        const RasterImage strip = FineRenderer::randomStrip(40, 9);
        RasterImage depth = levelDepth(300, 40, 56);
        depth.pen().style = PenStyle::Clear;
        depth.brush().color = colorref::grey(56 + 8 * 12);
        const int boxes[2][2] = {{20, 60}, {200, 260}}; // columns, left of and right of 200
        for (const auto& box : boxes) {
            depth.rectangle(box[0], 0, box[1] + 1, 41);
        }
        const RasterImage out = FineRenderer::render(strip, depth, {});
        QCOMPARE(out.width(), 400);
        int groundMatches = 0;
        int echoes = 0;
        for (int y = 0; y < out.height(); ++y) {
            // The strip as the ground between the boxes shows it.
            QSet<ColorRef> colours;
            for (int x = 168; x < 268; ++x) {
                colours << out.pixel(x, y);
            }
            for (const auto& box : boxes) {
                const int from = box[0] + 50; // between the eyes
                const int to = box[1] + 50;
                for (int x = from + 44 + 1; x < to + 44 - 1; ++x) {
                    QCOMPARE(out.pixel(x, y), out.pixel(x - 88, y));
                    QVERIFY(colours.contains(out.pixel(x, y)));
                    groundMatches += out.pixel(x, y) == out.pixel(x - 100, y) ? 1 : 0;
                }
                for (int x = from - 54; x < from - 46; ++x) { // the left eye's only
                    echoes += out.pixel(x, y) == out.pixel(x + 100, y) ? 1 : 0;
                }
                for (int x = to + 46; x < to + 54; ++x) { // the right eye's only
                    echoes += out.pixel(x, y) == out.pixel(x - 100, y) ? 1 : 0;
                }
            }
            // Ground both eyes see, between the boxes and right of them.
            for (int x = 60 + 50 + 58; x < 400; x = x == 200 + 92 - 1 ? 260 + 50 + 58 : x + 1) {
                QCOMPARE(out.pixel(x, y), out.pixel(x - 100, y));
            }
        }
        // Random dots match at the ground's separation only by chance.
        QVERIFY2(groundMatches < 16, qPrintable(QString::number(groundMatches)));
        QVERIFY2(echoes < 16, qPrintable(QString::number(echoes)));
    }

    // Both renderers' pictures read back by the decoder against the depth each was made from.
    // The finer one shows no echo, where the row renderer shows large ones; misreads next to
    // nothing away from steep edges (on which any window straddles two depths), on the shapes
    // a quarter or less of what the row renderer misreads there; and gives the dome, 12 shift
    // levels high, more than twice the row renderer's depths (its 13 terraces and the mixes
    // read on their steps) with a quarter of its misreads.
    void decodedDepth_data()
    {
        QTest::addColumn<bool>("dome");
        QTest::newRow("shapes") << false;
        QTest::newRow("dome") << true;
    }
    void decodedDepth()
    {
        using namespace stereodecoder;
        QFETCH(bool, dome);
        const RasterImage depth = dome ? domeDepth(300, 240, 152) : shapesDepth(330, 150);
        const RasterImage strip = FineRenderer::randomStrip(depth.height(), 5);
        const int s = strip.width();
        const Score rows = score(decoded(StereogramRenderer::renderAll(strip, depth), s),
                                 expectedForRowsRenderer(depth, s), s);
        const Score fine = score(decoded(FineRenderer::render(strip, depth, {}), s),
                                 expectedForFineRenderer(depth, s, 4), s);
        const QString figures = QStringLiteral("misread (inside), largest echo, depths: rows %1 "
                                               "(%2) %3 %4, fine %5 (%6) %7 %8")
                                    .arg(rows.misdecoded)
                                    .arg(rows.misdecodedInside)
                                    .arg(rows.largestEcho)
                                    .arg(rows.levels)
                                    .arg(fine.misdecoded)
                                    .arg(fine.misdecodedInside)
                                    .arg(fine.largestEcho)
                                    .arg(fine.levels);
        qInfo("%s", qPrintable(figures));
        QVERIFY2(fine.scored > rows.scored * 9 / 10, qPrintable(figures));
        QVERIFY2(fine.largestEcho <= 4, qPrintable(figures));
        QVERIFY2(fine.misdecodedInside * 1000 <= fine.scored, qPrintable(figures));
        if (dome) {
            QVERIFY2(fine.levels >= 2 * rows.levels, qPrintable(figures));
            QVERIFY2(fine.misdecoded * 4 <= rows.misdecoded, qPrintable(figures));
        } else {
            QVERIFY2(rows.largestEcho > 50, qPrintable(figures));
            QVERIFY2(fine.misdecodedInside * 4 <= rows.misdecodedInside, qPrintable(figures));
        }
    }

    // The texture's contrast (the mean difference of neighbouring pixels) is the same in every
    // strip-wide band out from the middle, where the pattern starts, also on plateaus whose
    // separations fall on half a pixel or a quarter, and on a dome; and the decoder still reads
    // them right away from their edges. Counted where the texture lies at its own scale: a
    // slope that one eye sees wider than the other stretches it in that eye's picture, and
    // every repeat beyond copies the stretch, as the depth demands.
    void evenTexture_data()
    {
        QTest::addColumn<int>("oversample");
        QTest::addColumn<int>("offGrid"); // greys above a whole shift; -1 for a dome
        QTest::newRow("half pixels, 4 samples") << 4 << 4;
        QTest::newRow("quarter pixels, 4 samples") << 4 << 2;
        QTest::newRow("half pixels, 8 samples") << 8 << 4;
        QTest::newRow("dome, 4 samples") << 4 << -1;
    }
    void evenTexture()
    {
        using namespace stereodecoder;
        QFETCH(int, oversample);
        QFETCH(int, offGrid);
        RasterImage depth =
            offGrid < 0 ? domeDepth(600, 160, 254) : levelDepth(600, 160, 56 + offGrid);
        depth.pen().style = PenStyle::Clear;
        for (int i = 0; offGrid >= 0 && i < 3; ++i) {
            depth.brush().color = colorref::grey(56 + offGrid + 40 * (i + 1));
            depth.rectangle(40 + 60 * i, 20 + 20 * i, 560 - 60 * i, 140 - 20 * i);
        }
        const RasterImage strip = FineRenderer::randomStrip(depth.height(), 8);
        const int s = strip.width();
        const RasterImage out = FineRenderer::render(strip, depth, {oversample, false});
        const std::vector<float> spacing = textureSpacing(depth, s);
        const std::vector<double> bands = bandContrast(out, s, &spacing, 0.97f, 1.03f);
        const auto [low, high] = std::minmax_element(bands.begin(), bands.end());
        const Score read = score(decoded(out, s), expectedForFineRenderer(depth, s, oversample), s);
        const QString figures =
            QString::asprintf("contrast %.1f to %.1f, misread inside %lld of %lld", *low, *high,
                              read.misdecodedInside, read.scored);
        QVERIFY2(*low > 0.9 * *high, qPrintable(figures));
        QVERIFY2(read.misdecodedInside * 1000 < read.scored, qPrintable(figures));
    }

    // The dots sit on a white band of their own above the picture, one strip width apart and
    // symmetric about the picture's middle, also when that falls between two pixels.
    void convergenceDots_data()
    {
        QTest::addColumn<int>("stripWidth");
        QTest::addColumn<int>("depthWidth");
        QTest::newRow("even") << 100 << 300;
        QTest::newRow("middle between pixels") << 61 << 250;
    }
    void convergenceDots()
    {
        QFETCH(int, stripWidth);
        QFETCH(int, depthWidth);
        const RasterImage strip = patternStrip(stripWidth, 20);
        const RasterImage depth = shapesDepth(depthWidth, 20);
        const RasterImage plain = FineRenderer::render(strip, depth, {});
        const RasterImage dotted = FineRenderer::render(strip, depth, {4, true});
        const int band = FineRenderer::dotBandHeight(stripWidth);
        QCOMPARE(QSize(dotted.width(), dotted.height()),
                 QSize(plain.width(), plain.height() + band));
        QCOMPARE(dotted.image().copy(0, band, dotted.width(), plain.height()), plain.image());
        // Sums of the dots' columns (doubled, pixel centres) left and right of the middle.
        const int middle = dotted.width(); // doubled
        long long sums[2] = {0, 0};
        int counts[2] = {0, 0};
        for (int y = 0; y < band; ++y) {
            for (int x = 0; x < dotted.width(); ++x) {
                const ColorRef pixel = dotted.pixel(x, y);
                QVERIFY(pixel == colorref::White || pixel == colorref::Black);
                if (pixel == colorref::Black) {
                    const int side = 2 * x + 1 < middle ? 0 : 1;
                    sums[side] += 2 * x + 1;
                    ++counts[side];
                }
            }
        }
        QVERIFY(counts[0] > 0);
        QCOMPARE(counts[1], counts[0]);
        QCOMPARE(sums[1] - sums[0], 2LL * stripWidth * counts[0]);
        QCOMPARE(sums[0] + sums[1], 2LL * middle * counts[0]);
    }

    // Sizes the row renderer also takes: no rows, no columns (ground only: the strip as it
    // lies, tiled), a strip narrower than the largest shift (nearer greys then all come out at
    // the smallest separation) or wider than the map.
    void oddSizes_data()
    {
        QTest::addColumn<QSize>("strip");
        QTest::addColumn<QSize>("depth");
        QTest::newRow("no rows") << QSize(40, 7) << QSize(50, 0);
        QTest::newRow("no columns") << QSize(40, 7) << QSize(0, 10);
        QTest::newRow("strip of 10") << QSize(10, 7) << QSize(60, 12);
        QTest::newRow("strip of 1") << QSize(1, 7) << QSize(30, 5);
        QTest::newRow("strip wider than the map") << QSize(80, 7) << QSize(20, 12);
    }
    void oddSizes()
    {
        QFETCH(QSize, strip);
        QFETCH(QSize, depth);
        RasterImage depthMap = shapesDepth(std::max(depth.width(), 1), std::max(depth.height(), 1));
        depthMap.setSize(depth.width(), depth.height());
        const RasterImage pattern = patternStrip(strip.width(), strip.height());
        for (const int oversample : {1, 4, FineRenderer::MaxOversample}) {
            const RasterImage out = FineRenderer::render(pattern, depthMap, {oversample, false});
            QCOMPARE(QSize(out.width(), out.height()),
                     QSize(strip.width() + depth.width(), depth.height()));
            for (int y = 0; depth.width() == 0 && y < depth.height(); ++y) {
                for (int x = 0; x < strip.width(); ++x) {
                    QCOMPARE(out.pixel(x, y), oversample == 1 ? pattern.pixel(x, y % strip.height())
                                                              : out.pixel(x, y % strip.height()));
                }
            }
        }
    }
};

DEPTHLOOM_TEST_CLASS(FineRendererTest);
#include "FineRendererTest.moc"
