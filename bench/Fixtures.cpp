#include "Fixtures.h"

#include <QRandomGenerator>

namespace fixtures {
namespace {

// A picture whose every pixel is `pixel(random)`, the same for the same seed.
template <typename PixelFunction>
RasterImage randomPicture(int width, int height, quint32 seed, PixelFunction pixel)
{
    QRandomGenerator random(seed);
    RasterImage image(width, height);
    for (int y = 0; y < height; ++y) {
        QRgb* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x] = pixel(random);
        }
    }
    return image;
}

RasterImage makeStrip()
{
    return randomPicture(StripWidth, DepthHeight, 7, [](QRandomGenerator& random) {
        return QRgb(0xFF000000 | random.bounded(0x1000000u));
    });
}

// Ground at the new-depth-map grey with raised discs and boxes of several heights: long flat
// runs broken by steep edges, where the fallback path is taken.
RasterImage makeShapes()
{
    RasterImage depth;
    depth.brush().color = colorref::grey(58);
    depth.setSize(DepthWidth, DepthHeight);
    depth.pen().style = PenStyle::Clear;
    QRandomGenerator random(11);
    for (int i = 0; i < 60; ++i) {
        depth.brush().color = colorref::grey(int(random.bounded(60, 255)));
        const int x = int(random.bounded(DepthWidth - 400));
        const int y = int(random.bounded(DepthHeight - 400));
        const int size = int(random.bounded(80, 400));
        if (i % 2 == 0) {
            depth.ellipse(x, y, x + size, y + size);
        } else {
            depth.rectangle(x, y, x + size, y + size * 2 / 3);
        }
    }
    return depth;
}

RasterImage makeNoise()
{
    return randomPicture(DepthWidth, DepthHeight, 13, [](QRandomGenerator& random) {
        const int grey = int(random.bounded(256u));
        return qRgb(grey, grey, grey);
    });
}

} // namespace

const RasterImage& patternStrip()
{
    static const RasterImage image = makeStrip();
    return image;
}

const RasterImage& shapesDepthMap()
{
    static const RasterImage image = makeShapes();
    return image;
}

const RasterImage& noiseDepthMap()
{
    static const RasterImage image = makeNoise();
    return image;
}

} // namespace fixtures
