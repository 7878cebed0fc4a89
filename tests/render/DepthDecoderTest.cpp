#include "render/DepthDecoder.h"

#include "DecodeFixtures.h"
#include "StereoDecoder.h"
#include "common/TestMain.h"
#include "render/FineRenderer.h"
#include "render/StereogramRenderer.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

namespace {

constexpr int Width = 640;
constexpr int Height = 320;

RasterImage depthNamed(const QString& name)
{
    using namespace decodefixtures;
    return name == QLatin1String("shapes") ? shapes(Width, Height)
           : name == QLatin1String("dome") ? dome(Width, Height)
                                           : text(Width, Height);
}

RasterImage stripNamed(const QString& name, int width, int height = Height)
{
    return name == QLatin1String("dots")
               ? RasterImage(FineRenderer::randomStrip(height, 7).image().copy(0, 0, width, height))
               : decodefixtures::texturedStrip(width, height, 7);
}

// The expected separations of a picture with its first `cut` columns taken away.
stereodecoder::SeparationMap cutLeft(const stereodecoder::SeparationMap& map, int cut)
{
    stereodecoder::SeparationMap out{map.width - cut, map.height, {}, {}, {}};
    const auto take = [&](const std::vector<float>& from, std::vector<float>& to) {
        for (int y = 0; y < map.height && !from.empty(); ++y) {
            to.insert(to.end(), from.begin() + qsizetype(y) * map.width + cut,
                      from.begin() + qsizetype(y + 1) * map.width);
        }
    };
    take(map.separation, out.separation);
    take(map.low, out.low);
    take(map.high, out.high);
    return out;
}

QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, random.generate() | 0xFF000000u);
        }
    }
    return image;
}

// A smooth picture with no repeat, as a photograph is.
QImage smooth(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y,
                           qRgb(int(127 + 120 * std::sin(x * 0.013 + y * 0.004)),
                                int(127 + 120 * std::cos(x * 0.007 - y * 0.011)), (x + 2 * y) / 5));
        }
    }
    return image;
}

} // namespace

class DepthDecoderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Pictures of both renderers, on random dots and on a soft texture, read back with the
    // strip width found: away from depth edges at least 98 % of the pixels within one shift
    // level for the finer renderer and 95 % for the row renderer, whose echoes show depths
    // that the map does not hold. Without the strip at the left the picture reads the same.
    void readsPictures_data()
    {
        QTest::addColumn<QString>("depth");
        QTest::addColumn<QString>("strip");
        QTest::addColumn<bool>("fine");
        QTest::addColumn<bool>("stripCut");
        for (const char* depth : {"shapes", "dome", "text"}) {
            for (const char* strip : {"dots", "textured"}) {
                for (const bool fine : {false, true}) {
                    QTest::addRow("%s, %s, %s", depth, strip, fine ? "fine" : "rows")
                        << QString::fromLatin1(depth) << QString::fromLatin1(strip) << fine
                        << false;
                }
            }
        }
        QTest::newRow("shapes, dots, rows, no strip at the left")
            << QStringLiteral("shapes") << QStringLiteral("dots") << false << true;
        QTest::newRow("dome, textured, fine, no strip at the left")
            << QStringLiteral("dome") << QStringLiteral("textured") << true << true;
    }
    void readsPictures()
    {
        using namespace stereodecoder;
        QFETCH(QString, depth);
        QFETCH(QString, strip);
        QFETCH(bool, fine);
        QFETCH(bool, stripCut);
        const int s = 90;
        const RasterImage map = depthNamed(depth);
        const RasterImage pattern = stripNamed(strip, s);
        QImage picture = (fine ? FineRenderer::render(pattern, map, {})
                               : StereogramRenderer::renderAll(pattern, map))
                             .image();
        SeparationMap want =
            fine ? expectedForFineRenderer(map, s, FineRenderer::Options{}.oversample)
                 : expectedForRowsRenderer(map, s);
        if (stripCut) {
            picture = picture.copy(s, 0, picture.width() - s, picture.height());
            want = cutLeft(want, s);
        }
        QString why;
        QCOMPARE(DepthDecoder::findStripWidth(picture, &why), s);
        const Score score =
            stereodecoder::score(fromDecoder(DepthDecoder::separations(picture, s, &why)), want, s);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        const double right =
            100.0 * double(score.inside - score.misdecodedInside) / double(score.inside);
        qInfo("away from edges %lld, right %.3f %%", score.inside, right);
        QVERIFY2(score.inside > score.scored / 2,
                 qPrintable(QStringLiteral("%1 of %2").arg(score.inside).arg(score.scored)));
        QVERIFY2(right >= (fine ? 98.0 : 95.0), qPrintable(QString::number(right)));
    }

    // Flat depth reads back as the exact grey of its shift, with ground 56, and the strip is
    // the picture's own first columns; the row renderer makes the same picture again from them.
    void greysOfTheRenderer_data()
    {
        QTest::addColumn<int>("grey");
        QTest::addColumn<int>("stripWidth");
        QTest::addColumn<QRect>("box");
        const QRect box(40, 10, 90, 40);
        QTest::newRow("ground") << 56 << 60 << box;
        QTest::newRow("shift 1") << 64 << 60 << box;
        QTest::newRow("shift 9") << 128 << 60 << box;
        QTest::newRow("shift 9 over most of the picture") << 128 << 60 << QRect(20, 5, 130, 50);
        QTest::newRow("shift 24, strip width given") << 248 << 37 << box;
    }
    void greysOfTheRenderer()
    {
        QFETCH(int, grey);
        QFETCH(int, stripWidth);
        QFETCH(QRect, box);
        RasterImage depth;
        depth.brush().color = colorref::grey(56);
        depth.setSize(160, 60);
        depth.pen().style = PenStyle::Clear;
        depth.brush().color = colorref::grey(grey);
        depth.rectangle(box.left(), box.top(), box.right() + 2, box.bottom() + 2);
        const RasterImage strip = stripNamed(QStringLiteral("dots"), stripWidth, depth.height());
        const RasterImage picture = StereogramRenderer::renderAll(strip, depth);
        DepthDecoder::Result result;
        QString why;
        QVERIFY2(DepthDecoder::decode(picture.image(), grey == 248 ? stripWidth : 0, &result, &why),
                 qPrintable(why));
        QCOMPARE(result.stripWidth, stripWidth);
        QCOMPARE(result.patternStrip.image(), strip.image());
        QCOMPARE(result.depthMap.width(), depth.width());
        QCOMPARE(result.depthMap.pixel(5, 30), colorref::grey(56));
        QCOMPARE(result.depthMap.pixel(85, 30), colorref::grey(grey));
        const QImage again =
            StereogramRenderer::renderAll(result.patternStrip, result.depthMap).image();
        int same = 0;
        for (int y = 0; y < again.height(); ++y) {
            for (int x = 0; x < again.width(); ++x) {
                same += again.pixel(x, y) == picture.image().pixel(x, y) ? 1 : 0;
            }
        }
        QVERIFY2(same >= again.width() * again.height() * 9 / 10,
                 qPrintable(QString::number(same)));
    }

    // A level surface between whole pixels of shift, as the finer renderer draws it, reads back
    // as its own grey: the separation is found to an eighth of a pixel.
    void readsBetweenWholePixels_data()
    {
        QTest::addColumn<int>("grey");
        QTest::addColumn<QString>("strip");
        QTest::newRow("1/4 pixel, dots") << 58 << QStringLiteral("dots");
        QTest::newRow("3/4 pixel, textured") << 62 << QStringLiteral("textured");
        QTest::newRow("5 1/4 pixels, dots") << 98 << QStringLiteral("dots");
        QTest::newRow("8 3/4 pixels, textured") << 126 << QStringLiteral("textured");
    }
    void readsBetweenWholePixels()
    {
        QFETCH(int, grey);
        QFETCH(QString, strip);
        RasterImage depth;
        depth.brush().color = colorref::grey(grey);
        depth.setSize(200, 60);
        const QImage picture =
            FineRenderer::render(stripNamed(strip, 60, depth.height()), depth, {}).image();
        DepthDecoder::Result result;
        QString why;
        QVERIFY2(DepthDecoder::decode(picture, 60, &result, &why), qPrintable(why));
        int right = 0;
        for (int y = 3; y < depth.height() - 3; ++y) {
            for (int x = 10; x < depth.width() - 10; ++x) {
                right += std::abs(qRed(result.depthMap.image().pixel(x, y)) - grey) <= 1 ? 1 : 0;
            }
        }
        QVERIFY2(right >= 180 * 54 * 99 / 100, qPrintable(QString::number(right)));
    }

    // Every row of a level surface reads its grey (away from the sides): the first and the last,
    // whose windows reach past the picture, and those where its halves, read apart, meet.
    void readsEveryRow_data()
    {
        QTest::addColumn<bool>("fine");
        QTest::newRow("rows") << false;
        QTest::newRow("fine") << true;
    }
    void readsEveryRow()
    {
        QFETCH(bool, fine);
        RasterImage depth;
        depth.brush().color = colorref::grey(128);
        depth.setSize(200, 100);
        const RasterImage strip = stripNamed(QStringLiteral("dots"), 60, depth.height());
        const QImage picture = (fine ? FineRenderer::render(strip, depth, {})
                                     : StereogramRenderer::renderAll(strip, depth))
                                   .image();
        DepthDecoder::Result result;
        QString why;
        QVERIFY2(DepthDecoder::decode(picture, 60, &result, &why), qPrintable(why));
        for (int y = 0; y < depth.height(); ++y) {
            for (int x = 10; x < depth.width() - 10; ++x) {
                QVERIFY2(result.depthMap.pixel(x, y) == colorref::grey(128),
                         qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
            }
        }
    }

    // The plain rows above the convergence dots, on the band that carries them, read as ground,
    // not as a made-up depth.
    void plainBandIsGround()
    {
        const RasterImage map = decodefixtures::dome(300, 120);
        const QImage picture =
            FineRenderer::render(stripNamed(QStringLiteral("dots"), 100, 120), map, {4, true})
                .image();
        DepthDecoder::Result result;
        QString why;
        QVERIFY2(DepthDecoder::decode(picture, 0, &result, &why), qPrintable(why));
        QCOMPARE(result.stripWidth, 100);
        const int band = FineRenderer::dotBandHeight(100);
        QVERIFY(FineRenderer::dotRadius(100) < band / 2 - 2);
        for (int x = 0; x < result.depthMap.width(); ++x) {
            QCOMPARE(result.depthMap.pixel(x, 0), colorref::grey(56));
            QCOMPARE(result.depthMap.pixel(x, 1), colorref::grey(56));
        }
        const int top = qRed(result.depthMap.image().pixel(150, band + 60));
        QVERIFY2(std::abs(top - qRed(map.image().pixel(150, 60))) <= 8,
                 qPrintable(QString::number(top)));
    }

    // What is no stereogram is refused with the reason, never read into a map.
    void refusesWhatIsNoStereogram_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<int>("stripWidth");
        QTest::addColumn<QString>("reason");
        QImage plain(300, 100, QImage::Format_RGB32);
        plain.fill(qRgb(30, 140, 90));
        const QImage stereogram =
            StereogramRenderer::renderAll(stripNamed(QStringLiteral("dots"), 60),
                                          decodefixtures::dome(200, Height))
                .image();
        QTest::newRow("too small") << noise(20, 6) << 0 << QStringLiteral("too small");
        QTest::newRow("plain colour") << plain << 0 << QStringLiteral("plain colour");
        QTest::newRow("random noise") << noise(300, 100) << 0 << QStringLiteral("not a stereogram");
        QTest::newRow("smooth picture")
            << smooth(300, 100) << 0 << QStringLiteral("not a stereogram");
        QTest::newRow("noise with a strip width")
            << noise(300, 100) << 60 << QStringLiteral("does not repeat at a strip width of 60");
        QTest::newRow("smooth picture with a strip width")
            << smooth(300, 100) << 60 << QStringLiteral("does not repeat");
        QTest::newRow("strip width past half the picture")
            << stereogram << 131 << QStringLiteral("does not fit");
    }
    void refusesWhatIsNoStereogram()
    {
        QFETCH(QImage, picture);
        QFETCH(int, stripWidth);
        QFETCH(QString, reason);
        DepthDecoder::Result result;
        QString why;
        QVERIFY(!DepthDecoder::decode(picture, stripWidth, &result, &why));
        QVERIFY2(why.contains(reason), qPrintable(why));
        QVERIFY(result.depthMap.isEmpty());
    }

    // The independent decoder of the tests, which tries every eighth of a pixel, reads the
    // same separations as the program's decoder away from depth edges, where the picture
    // shows one depth to read.
    void agreesWithTheIndependentDecoder_data()
    {
        QTest::addColumn<QString>("depth");
        QTest::addColumn<QString>("strip");
        QTest::newRow("shapes, textured") << QStringLiteral("shapes") << QStringLiteral("textured");
        QTest::newRow("dome, dots") << QStringLiteral("dome") << QStringLiteral("dots");
        QTest::newRow("text, dots") << QStringLiteral("text") << QStringLiteral("dots");
    }
    void agreesWithTheIndependentDecoder()
    {
        QFETCH(QString, depth);
        QFETCH(QString, strip);
        const int s = 60;
        const int width = 160;
        const int height = 70;
        using namespace decodefixtures;
        const RasterImage map = depth == QLatin1String("shapes") ? shapes(width, height)
                                : depth == QLatin1String("dome") ? dome(width, height)
                                                                 : text(width, height);
        const QImage picture = FineRenderer::render(stripNamed(strip, s, height), map, {}).image();
        const stereodecoder::SeparationMap brute = stereodecoder::decode(picture, s - 26, s + 1);
        const DepthDecoder::Separations ours = DepthDecoder::separations(picture, s);
        const stereodecoder::SeparationMap want = stereodecoder::expectedForFineRenderer(map, s, 4);
        int compared = 0;
        int agreed = 0;
        for (int y = 2; y < picture.height() - 2; ++y) {
            for (int x = s + 2; x < picture.width() - 2; ++x) {
                float low = want.at(x, y);
                float high = low;
                for (int dy = -2; dy <= 2; ++dy) {
                    for (int dx = -2; dx <= 2; ++dx) {
                        low = std::min(low, want.at(x + dx, y + dy));
                        high = std::max(high, want.at(x + dx, y + dy));
                    }
                }
                if (std::isnan(low) || std::isnan(high) || high - low > 1) {
                    continue;
                }
                ++compared;
                agreed += std::abs(brute.at(x, y) - ours.at(x, y)) <= 1.0f ? 1 : 0;
            }
        }
        QVERIFY2(compared > picture.width() * picture.height() / 3 && agreed >= compared * 99 / 100,
                 qPrintable(QStringLiteral("%1 of %2").arg(agreed).arg(compared)));
    }
};

DEPTHLOOM_TEST_CLASS(DepthDecoderTest);
#include "DepthDecoderTest.moc"
