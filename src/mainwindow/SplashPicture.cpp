#include "mainwindow/SplashPicture.h"

#include "raster/RasterImage.h"
#include "render/StereogramRenderer.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QResource>

#include <algorithm>
#include <cstring>

namespace {

// The renderer turns grey g into a shift of about (g - 56) / 8 pixels; 56 is the ground.
QColor depthGrey(int shift)
{
    const int grey = std::clamp(56 + 8 * shift, 0, 255);
    return QColor(grey, grey, grey);
}

} // namespace

namespace splashpicture {

QImage draw(const QSize& size)
{
    const int stripWidth = std::clamp(size.width() / 6, 1, size.width());
    const int depthWidth = size.width() - stripWidth;
    const int height = size.height();

    // Light dots of 3 x 3 pixels: easy to fuse, and black text stays readable on them. A fixed
    // seed keeps the picture the same at every start.
    constexpr int Dot = 3;
    QRandomGenerator random(1998);
    QImage strip(stripWidth, height, QImage::Format_RGB32);
    const QRgb dots[] = {qRgb(0xf7, 0xc5, 0x9f), qRgb(0xef, 0xef, 0xd0), qRgb(0x9e, 0xc1, 0xe0),
                         qRgb(0xb8, 0xe0, 0xc2), qRgb(0xf2, 0xa7, 0xb0)};
    for (int y = 0; y < height; y += Dot) {
        for (int x = 0; x < stripWidth; x += Dot) {
            const QRgb color = dots[random.bounded(5)];
            for (int dy = y; dy < std::min(y + Dot, height); ++dy) {
                auto* line = reinterpret_cast<QRgb*>(strip.scanLine(dy));
                std::fill(line + x, line + std::min(x + Dot, stripWidth), color);
            }
        }
    }

    QImage depth(std::max(depthWidth, 0), height, QImage::Format_RGB32);
    depth.fill(depthGrey(0));
    if (!depth.isNull()) {
        QPainter painter(&depth);
        painter.setPen(Qt::NoPen);
        const QPointF centre(depthWidth / 2.0, height / 2.0);
        const qreal radius = std::min(depthWidth, height) * 0.35;
        painter.setBrush(depthGrey(8));
        painter.drawEllipse(centre, radius, radius);
        painter.setBrush(depthGrey(14));
        painter.drawEllipse(centre, radius * 0.6, radius * 0.6);
        painter.setBrush(depthGrey(8));
        painter.drawEllipse(centre, radius * 0.35, radius * 0.35);
    }

    return StereogramRenderer::renderAll(RasterImage(strip), RasterImage(depth)).image();
}

QImage built()
{
    // Rows of 32-bit pixels as QImage::Format_RGB32 lays them out, stored uncompressed, written
    // by the build on the machine it builds for.
    const QResource rows(QStringLiteral(":/splash/picture.rgb"));
    const qint64 bytes = qint64(Size.width()) * Size.height() * 4;
    if (!rows.isValid() || rows.compressionAlgorithm() != QResource::NoCompression ||
        rows.size() != bytes) {
        return {};
    }
    // Copied out: resource data need not be aligned as an image's rows must be.
    QImage image(Size, QImage::Format_RGB32);
    if (image.sizeInBytes() != bytes) {
        return {};
    }
    std::memcpy(image.bits(), rows.data(), size_t(bytes));
    return image;
}

QImage picture()
{
    const QImage image = built();
    return image.isNull() ? draw(Size) : image;
}

} // namespace splashpicture
