// fine_quality [WIDTH HEIGHT [FOLDER]]: how well both renderers' pictures read back. Builds a
// shapes depth map and a smooth dome (default 1000 x 800) on a random-dot strip, renders each
// with both renderers, decodes every picture and prints, per picture, the pixels misdecoded by
// more than one shift level, the echo and the distinct depths found on raised ground. With a
// FOLDER it also writes the depth maps, the pictures and the decoded depth pictures there.

#include "raster/RasterImage.h"
#include "render/DecodeFixtures.h"
#include "render/DepthDecoder.h"
#include "render/FineRenderer.h"
#include "render/StereoDecoder.h"
#include "render/StereogramRenderer.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>

#include <cmath>
#include <cstdio>

namespace {

constexpr int Seed = 20;

// Reads `picture` back with the program's decoder, finding the strip width, and prints how
// well: the pixels misread by more than one shift level, and the share read right away from
// depth edges. With a folder, writes the depth map, the decoded depth map and the misreads side
// by side (misread red, unscored blue), and the picture.
void report(const QString& name, const RasterImage& picture, const RasterImage& depth,
            const stereodecoder::SeparationMap& want, int stripWidth, const QString& folder)
{
    using namespace stereodecoder;
    QString why;
    const int found = DepthDecoder::findStripWidth(picture.image(), &why);
    const SeparationMap got =
        fromDecoder(DepthDecoder::separations(picture.image(), stripWidth, &why));
    const Score s = score(got, want, stripWidth);
    std::printf("%-22s strip %3d found %3d  misread %7lld (%5.2f %%)  away from edges %8lld, "
                "right %7.3f %%  echo %6lld  depths %4d %s\n",
                qPrintable(name), stripWidth, found, s.misdecoded,
                100.0 * double(s.misdecoded) / double(s.scored), s.inside,
                100.0 * double(s.inside - s.misdecodedInside) / double(s.inside), s.echo, s.levels,
                qPrintable(why));
    if (folder.isEmpty()) {
        return;
    }
    picture.image().save(folder + QStringLiteral("/%1-picture.png").arg(name));
    const int w = depth.width();
    QImage errors = depthPicture(want, stripWidth);
    for (int y = 0; y < errors.height(); ++y) {
        for (int x = stripWidth; x < errors.width(); ++x) {
            if (std::isnan(want.at(x, y))) {
                errors.setPixel(x, y, qRgb(0, 0, 255));
            } else if (misread(got, want, x, y)) {
                errors.setPixel(x, y, qRgb(255, 0, 0));
            }
        }
    }
    QImage sides(3 * w + 20, depth.height(), QImage::Format_RGB32);
    sides.fill(Qt::white);
    QPainter painter(&sides);
    painter.drawImage(0, 0, depth.image());
    painter.drawImage(w + 10, 0, depthPicture(got, stripWidth), stripWidth, 0, w, depth.height());
    painter.drawImage(2 * w + 20, 0, errors, stripWidth, 0, w, depth.height());
    painter.end();
    sides.save(folder + QStringLiteral("/%1-original-decoded-misread.png").arg(name));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv); // for the text map's font
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
    using namespace decodefixtures;
    const std::pair<const char*, RasterImage> strips[] = {
        {"dots", FineRenderer::randomStrip(height, Seed)},
        {"textured", texturedStrip(FineRenderer::RandomStripWidth, height, Seed)}};
    const std::pair<const char*, RasterImage> depths[] = {{"shapes", shapes(width, height)},
                                                          {"dome", dome(width, height)},
                                                          {"text", text(width, height)}};
    for (const auto& [stripName, strip] : strips) {
        const int s = strip.width();
        for (const auto& [depthName, depth] : depths) {
            const QString name =
                QStringLiteral("%1-%2").arg(QLatin1String(depthName), QLatin1String(stripName));
            report(name + QStringLiteral("-rows"), StereogramRenderer::renderAll(strip, depth),
                   depth, stereodecoder::expectedForRowsRenderer(depth, s), s, folder);
            report(name + QStringLiteral("-fine"),
                   FineRenderer::render(strip, depth, FineRenderer::Options{}), depth,
                   stereodecoder::expectedForFineRenderer(depth, s,
                                                          FineRenderer::Options{}.oversample),
                   s, folder);
        }
    }
    return 0;
}
