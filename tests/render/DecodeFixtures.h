#pragma once

// Depth maps and strips that pictures to read back are made from, shared by the tests and the
// decoding figures of fine_quality.

#include "raster/RasterImage.h"

#include <QFont>
#include <QPainter>
#include <QRandomGenerator>

#include <cmath>

namespace decodefixtures {

inline void setGrey(QRgb& pixel, int grey)
{
    pixel = qRgb(grey, grey, grey);
}

// Ground with overlapping boxes and discs of random heights.
inline RasterImage shapes(int width, int height)
{
    RasterImage depth;
    depth.brush().color = colorref::grey(56);
    depth.setSize(width, height);
    depth.pen().style = PenStyle::Clear;
    QRandomGenerator random(11);
    const int largest = std::min(width, height) / 3;
    for (int i = 0; i < 14; ++i) {
        depth.brush().color = colorref::grey(int(random.bounded(70, 255)));
        const int size = int(random.bounded(largest / 4, largest));
        const int x = int(random.bounded(width - size));
        const int y = int(random.bounded(height - size));
        if (i % 2 == 0) {
            depth.ellipse(x, y, x + size, y + size);
        } else {
            depth.rectangle(x, y, x + size, y + size * 2 / 3);
        }
    }
    return depth;
}

// A smooth dome rising from ground to grey `top`.
inline RasterImage dome(int width, int height, int top = 254)
{
    RasterImage depth(width, height);
    const double radius = 0.45 * std::min(width, height);
    for (int y = 0; y < height; ++y) {
        QRgb* row = depth.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const double dx = (x + 0.5 - width / 2.0) / radius;
            const double dy = (y + 0.5 - height / 2.0) / radius;
            const double rise = std::sqrt(std::max(0.0, 1 - dx * dx - dy * dy));
            setGrey(row[x], int(std::lround(56 + (top - 56) * rise)));
        }
    }
    return depth;
}

// Two lines of bold letters at two heights over ground.
inline RasterImage text(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(56, 56, 56));
    QPainter painter(&image);
    QFont font;
    font.setPixelSize(height / 3);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(qRgb(150, 150, 150));
    painter.drawText(QRect(0, 0, width, height / 2), Qt::AlignCenter, QStringLiteral("DEPTH"));
    painter.setPen(qRgb(230, 230, 230));
    painter.drawText(QRect(0, height / 2, width, height / 2), Qt::AlignCenter,
                     QStringLiteral("loom 3D"));
    painter.end();
    return RasterImage(image);
}

// A strip of soft colour waves with some grain, as a painted or photographed texture has:
// neighbouring pixels are alike, unlike random dots.
inline RasterImage texturedStrip(int width, int height, quint32 seed)
{
    RasterImage strip(width, height);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        QRgb* row = strip.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const double u = 2 * M_PI * x / width; // one period across, so it tiles
            const double v = y * 0.07;
            const int grain = int(random.bounded(-12, 13));
            const auto channel = [&](double a, double b) {
                return std::clamp(int(128 + 90 * std::sin(a * u + 2 * std::sin(v + b)) +
                                      30 * std::sin(3 * u - v * b)) +
                                      grain,
                                  0, 255);
            };
            row[x] = qRgb(channel(1, 0.3), channel(2, 1.1), channel(3, 2.0));
        }
    }
    return strip;
}

} // namespace decodefixtures
