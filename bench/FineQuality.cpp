// fine_quality [WIDTH HEIGHT [FOLDER]]: how well both renderers' pictures read back. Builds a
// shapes depth map and a smooth dome (default 1000 x 800) on a random-dot strip, renders each
// with both renderers, decodes every picture and prints, per picture, the pixels misdecoded by
// more than one shift level, the echo and the distinct depths found on raised ground (by the
// tests' independent decoder, then the share read right by the program's decoder), and the
// texture's contrast (mean difference between neighbouring pixels) in each strip-wide band
// out from the middle, where the pattern starts, with its spread. A third map holds plateaus
// whose separations fall on half pixels. With a FOLDER it also writes the depth maps, the
// pictures and the decoded depth pictures there. For the finer renderer it also prints the
// contrast where the texture lies at its own scale, and by how far a slope has stretched it.

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

// For the finer renderer's pictures: where the texture lies at its own scale (see
// textureSpacing), the contrast of each band and its spread, which a texture resampled again
// in every repeat would widen; then the contrast by spacing, which the geometry sets: a slope
// that one eye sees wider than the other stretches the texture in the wider eye's picture, and
// every repeat beyond it copies the stretch. With a folder, the spacing as a picture: grey 200
// at its own scale, darker where stretched, blue where the colours start in different places.
void reportSpacing(const char* name, const RasterImage& picture, const RasterImage& depth,
                   int stripWidth, const QString& folder)
{
    const std::vector<float> spacing = textureSpacing(depth, stripWidth);
    if (!folder.isEmpty()) {
        QImage map(picture.width(), picture.height(), QImage::Format_RGB32);
        for (int y = 0; y < map.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(map.scanLine(y));
            for (int x = 0; x < map.width(); ++x) {
                const float s = spacing[size_t(y) * size_t(map.width()) + size_t(x)];
                const int grey = std::isnan(s) ? 0 : std::clamp(int(400 * (s - 0.5f)), 0, 255);
                row[x] = std::isnan(s) ? qRgb(0, 0, 255) : qRgb(grey, grey, grey);
            }
        }
        map.save(folder + QStringLiteral("/%1-spacing.png").arg(QLatin1String(name)));
    }
    const std::vector<double> bands = bandContrast(picture, stripWidth, &spacing, 0.97f, 1.03f);
    const auto [low, high] = std::minmax_element(bands.begin(), bands.end());
    std::printf("%-16s at its own scale, contrast by band", name);
    for (const double band : bands) {
        std::printf(" %.1f", band);
    }
    std::printf("  spread %.1f %%\n%-16s contrast by spacing", 100.0 * (*high - *low) / *high,
                name);
    const float edges[] = {0.0f, 0.5f, 0.7f, 0.8f, 0.9f, 0.97f, 1.03f, 2.0f};
    for (size_t i = 0; i + 1 < std::size(edges); ++i) {
        const auto pairs = std::count_if(spacing.begin(), spacing.end(), [&](float s) {
            return s >= edges[i] && s <= edges[i + 1];
        });
        if (pairs == 0) {
            continue;
        }
        // One band the picture's width: the whole picture.
        const double contrast =
            bandContrast(picture, picture.width(), &spacing, edges[i], edges[i + 1]).front();
        std::printf("  %.2f-%.2f %.1f (%.2f %%)", edges[i], edges[i + 1], contrast,
                    100.0 * double(pairs) / double(spacing.size()));
    }
    std::printf("\n");
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
        const RasterImage picture = FineRenderer::render(strip, depth, FineRenderer::Options{});
        report(fine.constData(), picture,
               stereodecoder::expectedForFineRenderer(depth, s, FineRenderer::Options{}.oversample),
               s, folder);
        reportSpacing(fine.constData(), picture, depth, s, folder);
    }
    return 0;
}
