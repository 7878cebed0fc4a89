#pragma once

#include "render/DepthDecoder.h"

#include <QImage>

#include <vector>

class RasterImage;

// What the tests measure decoded pictures with: the separations each renderer's picture should
// read back as, and how far a reading is from them. And an independent check on the program's
// decoder: a brute-force reading of a single-image stereogram, as the eyes do, with no
// knowledge of how it was made. For each pixel, a 5 x 5 window around it is compared with the
// window that many pixels to its left (interpolated between pixels), for every separation in a
// range in steps of 1/8 pixel, and the closest match wins.
namespace stereodecoder {

inline constexpr int StepsPerPixel = 8; // one grey level of depth

struct SeparationMap
{
    int width = 0;
    int height = 0;
    std::vector<float> separation; // pixels; NaN where the window does not fit
    // Where a pixel shows several depths, the nearest and the farthest of them, by which it
    // may read; empty when each pixel shows one.
    std::vector<float> low;
    std::vector<float> high;
    float at(int x, int y) const { return separation[size_t(y) * size_t(width) + size_t(x)]; }
};

SeparationMap decode(const QImage& picture, double minSeparation, double maxSeparation);

// The separation of the depth map's point that each renderer's geometry shows at pixel (x, y)
// of its picture, as a map of the picture's size: the depth map's own, so that a renderer's
// rounding counts against it. NaN where the pixel shows nothing to match: the strip columns,
// and for the finer renderer a point of the surface that the left eye cannot see.
SeparationMap expectedForRowsRenderer(const RasterImage& depth, int stripWidth);
// `samples` is the finer renderer's oversampling: a pixel may show several depths at once.
SeparationMap expectedForFineRenderer(const RasterImage& depth, int stripWidth, int samples);

// Whether the decoded separation at (x, y), where both maps have one, lies more than one shift
// level (one pixel) from every depth the pixel shows.
bool misread(const SeparationMap& decoded, const SeparationMap& expected, int x, int y);

struct Score
{
    long long scored = 0;           // pixels with both a decoded and an expected separation
    long long inside = 0;           // of those, where the expected separations within the
                                    // window differ by at most one pixel: away from depth edges
    long long misdecoded = 0;       // decoded more than one shift level (8 grey levels) off
    long long misdecodedInside = 0; // of those, where the expected separations within the
                                    // window differ by at most one pixel
    long long echo = 0;             // decoded nearer than the depth map where it is locally flat
    int largestEcho = 0;            // pixels in the largest 8-connected region of echo
    int levels = 0;                 // distinct depths (1/8 pixel) decoded right on raised ground,
                                    // each held by at least a quarter of an even share of them
};

Score score(const SeparationMap& decoded, const SeparationMap& expected, int stripWidth);

// The product decoder's separations as a map to score, NaN on the strip.
SeparationMap fromDecoder(const DepthDecoder::Separations& decoded);

// The decoded separations as a grey picture: the grey level each stands for (56 + 8 * (S - s)),
// NaN black.
QImage depthPicture(const SeparationMap& map, int stripWidth);

} // namespace stereodecoder
