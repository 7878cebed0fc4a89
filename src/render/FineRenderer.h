#pragma once

#include "raster/RasterImage.h"

#include <QtGlobal>

#include <memory>

class FineRowSolver;

// A second way to build the 3D picture, for the batch command and the live preview: the same size
// and the same depth as StereogramRenderer (a pixel of grey g is seen at separation
// S - max(0, g - 56) / 8 pixels, S the strip width), without its echoes, ghost fragments and
// terraces.
//
// Every row is solved on its own at `oversample` times the width and then reduced, each pixel
// the mean of its samples, so separations count in fractions of a pixel. The depth map is a
// surface in the middle of the picture: column d at d + S/2, its depth that of the column at the
// column's centre and going over linearly to the next; the left eye sees each point half its
// separation further left, the right eye half further right. Each point of the surface that
// both eyes see makes its two samples equal; a point hidden from either eye by a nearer part of
// the surface makes nothing equal. Samples are coloured from the middle of the row outwards,
// each copying its partner on the middle's side. Those whose partner lies across the middle,
// the pattern's source, take the strip's colours in order at their own column, so flat ground
// repeats the strip where the row renderer puts it. Those with no partner, a stretch only one
// eye sees, take the strip's colours in reverse order, which matches nothing around them. A gap
// of up to half a pixel between partners, which only rounding leaves on a slope, copies like its
// neighbour instead. With more than one sample a pixel the strip is resampled once, as a smooth
// curve, before any of this, so that a repeat a fraction of a pixel off the grid keeps the
// texture's contrast; ground then shows the strip a little softened. That resampling is built
// for AVX2 too and chosen at run time: on the 4000 x 3000 shapes map it costs about 9 ms of 46
// with AVX2 against 17 ms of 55 without. A slope that one eye sees wider than the other
// stretches the texture in that eye's picture, and every repeat beyond it copies the stretch,
// with less contrast (beyond a dome 25 shifts high, about a tenth less): those pixels must
// match their partners, so no resampling gives the contrast back, and fresh colours there
// would cost depth where the dome falls to the ground.
//
// At 4 samples a pixel two neighbouring grey levels are half a sample apart; rows cycle the
// rounding of such half samples, so over each pair of rows every grey level has a depth of its
// own (in general over 8 / gcd(oversample, 8) rows).
class FineRenderer final
{
public:
    struct Options
    {
        int oversample = 4; // samples per pixel across, 1..MaxOversample
        bool dots = false;  // two convergence dots on a band added above the picture
    };

    static constexpr int MaxOversample = 16;
    // The width of the strip that randomStrip makes.
    static constexpr int RandomStripWidth = 100;

    // The 3D picture: (strip width + depth width) x depth height, and with dots a band of
    // dotBandHeight() rows more at the top. The strip is tiled downwards when it is shorter
    // than the depth map; depth is the red byte of each depth pixel. A strip with no pixels
    // gives a white picture. Throws std::bad_alloc when the picture cannot be allocated.
    static RasterImage render(const RasterImage& patternStrip, const RasterImage& depthMap,
                              const Options& options);
    // The same into `output`, whose pixels are written over when it has the size already.
    static void render(const RasterImage& patternStrip, const RasterImage& depthMap,
                       const Options& options, RasterImage& output);

    // The picture sized as render() makes it, with its dots band drawn, and white below when
    // the strip has no pixels. Returns whether rows are left to render (by Rows). Throws
    // std::bad_alloc as render() does.
    static bool layOut(const RasterImage& patternStrip, const RasterImage& depthMap,
                       const Options& options, RasterImage& output);

    // Renders single rows, each depending only on its own row of the depth map and the strip's
    // row it repeats. The images must not change while the object lives.
    class Rows final
    {
    public:
        Rows(const RasterImage& patternStrip, const RasterImage& depthMap, const Options& options);
        ~Rows();
        Rows(const Rows&) = delete;
        Rows& operator=(const Rows&) = delete;
        // Depth row y into `out`, strip width + depth width pixels (the picture's row y plus
        // the dots band's height).
        void render(int y, QRgb* out);

    private:
        std::unique_ptr<FineRowSolver> m_solver;
    };

    // RandomStripWidth x height pixels of random colours, the same for the same seed.
    static RasterImage randomStrip(int height, quint32 seed);

    // The band the dots sit on: white, with two black discs centred on it, one strip width
    // apart and symmetric about the middle of the picture.
    static int dotBandHeight(int stripWidth);
    static int dotRadius(int stripWidth);
};
