// fine_quality [WIDTH HEIGHT [FOLDER]]: how well both renderers' pictures read back. Builds a
// shapes depth map and a smooth dome (default 1000 x 800) on a random-dot strip, renders each
// with both renderers, decodes every picture and prints, per picture, the pixels misdecoded by
// more than one shift level, the echo and the distinct depths found on raised ground (by the
// tests' independent decoder, then the share read right by the program's decoder), and the
// texture's contrast (mean difference between neighbouring pixels) in each strip-wide band
// out from the middle, where the pattern starts, with its spread. A third map holds plateaus
// whose separations fall on half pixels. With a FOLDER it also writes the depth maps, the
// pictures and the decoded depth pictures there.

#include "raster/RasterImage.h"
#include "render/DecodeFixtures.h"
#include "render/DepthDecoder.h"
#include "render/FineRenderer.h"
#include "render/StereoDecoder.h"
#include "render/StereogramRenderer.h"
#include "render/TextureContrast.h"

#include <QDir>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int Seed = 20;

using decodefixtures::dome;
using decodefixtures::shapes;

// Plateaus at greys 4 above a whole shift: separations half a pixel off the grid.
RasterImage halves(int width, int height)
{
    RasterImage depth;
    depth.brush().color = colorref::grey(60);
    depth.setSize(width, height);
    depth.pen().style = PenStyle::Clear;
    for (int i = 0; i < 4; ++i) {
        depth.brush().color = colorref::grey(100 + 40 * i);
        const int inset = (i + 1) * std::min(width, height) / 10;
        depth.rectangle(inset, inset, width - inset, height - inset);
    }
    return depth;
}

void report(const char* name, const RasterImage& picture, const stereodecoder::SeparationMap& want,
            int stripWidth, const QString& folder)
{
    using namespace stereodecoder;
    const SeparationMap got = decode(picture.image(), stripWidth - 26, stripWidth + 1);
    const Score s = score(got, want, stripWidth);
    std::printf(
        "%-16s scored %9lld  misdecoded %8lld (%5.2f %%), away from edges %8lld  echo %7lld  "
        "largest echo %6d  depths %4d\n",
        name, s.scored, s.misdecoded, 100.0 * double(s.misdecoded) / double(s.scored),
        s.misdecodedInside, s.echo, s.largestEcho, s.levels);
    const Score ours = score(fromDecoder(DepthDecoder::separations(picture.image(), stripWidth)),
                             want, stripWidth);
    std::printf("%-16s program's decoder: misdecoded %8lld (%5.2f %%), away from edges right "
                "%.3f %%\n",
                name, ours.misdecoded, 100.0 * double(ours.misdecoded) / double(ours.scored),
                100.0 * double(ours.inside - ours.misdecodedInside) / double(ours.inside));
    const std::vector<double> bands = bandContrast(picture, stripWidth);
    const auto [low, high] = std::minmax_element(bands.begin(), bands.end());
    std::printf("%-16s away from edges %.3f %%  contrast by band", name,
                100.0 * double(s.misdecodedInside) / double(s.scored));
    for (const double band : bands) {
        std::printf(" %.1f", band);
    }
    std::printf("  spread %.1f %%\n", 100.0 * (*high - *low) / *high);
    if (!folder.isEmpty()) {
        picture.image().save(folder + QStringLiteral("/%1.png").arg(QLatin1String(name)));
        depthPicture(got, stripWidth)
            .save(folder + QStringLiteral("/%1-decoded.png").arg(QLatin1String(name)));
        // Misdecoded pixels red, unscored blue, over the expected depth.
        QImage errors = depthPicture(want, stripWidth);
        for (int y = 0; y < errors.height(); ++y) {
            for (int x = stripWidth + 4; x < errors.width(); ++x) {
                const float g = got.at(x, y);
                const float w = want.at(x, y);
                if (std::isnan(w)) {
                    errors.setPixel(x, y, qRgb(0, 0, 255));
                } else if (!std::isnan(g) && misread(got, want, x, y)) {
                    errors.setPixel(x, y, qRgb(255, 0, 0));
                }
            }
        }
        errors.save(folder + QStringLiteral("/%1-errors.png").arg(QLatin1String(name)));
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int width = argc > 2 ? std::atoi(argv[1]) : 1000;
    const int height = argc > 2 ? std::atoi(argv[2]) : 800;
    const QString folder = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (width < 50 || height < 50) {
        std::fprintf(stderr, "usage: fine_quality [WIDTH HEIGHT [FOLDER]]\n");
        return 2;
    }
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
    }
    const RasterImage strip = FineRenderer::randomStrip(height, Seed);
    const int s = strip.width();
    for (const auto& [name, depth] :
         {std::pair{"shapes", shapes(width, height)}, std::pair{"dome", dome(width, height)},
          std::pair{"halves", halves(width, height)}}) {
        if (!folder.isEmpty()) {
            depth.image().save(folder + QStringLiteral("/%1-depth.png").arg(QLatin1String(name)));
        }
        const QByteArray rows = QByteArray(name) + "-rows";
        const QByteArray fine = QByteArray(name) + "-fine";
        report(rows.constData(), StereogramRenderer::renderAll(strip, depth),
               stereodecoder::expectedForRowsRenderer(depth, s), s, folder);
        report(fine.constData(), FineRenderer::render(strip, depth, FineRenderer::Options{}),
               stereodecoder::expectedForFineRenderer(depth, s, FineRenderer::Options{}.oversample),
               s, folder);
    }
    return 0;
}
