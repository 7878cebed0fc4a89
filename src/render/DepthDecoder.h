#pragma once

#include "raster/RasterImage.h"

#include <QImage>
#include <QString>

#include <vector>

// Reads a single-image stereogram back into a pattern strip and a depth map that the renderers
// turn into the same picture: the picture's first strip-width columns become the strip, and
// every pixel right of them a depth grey, 56 for ground and 8 grey levels more for each pixel
// by which the picture repeats nearer than the strip width there. It knows nothing of the
// program that made the picture, so pictures of other programs read back as well, with or
// without a strip of their own at the left.
//
// Phases: the strip width is the picture's period on the ground, the largest period at which
// many pixels of a few sample rows repeat (unless the caller gives it; periods that repeat
// rarely on every fourth of those rows are not counted on the others). Then each pixel takes
// the separation, in half pixels from the strip width down to 26 pixels nearer, at which a
// 5 x 5 window around it best matches the window that many pixels to its left, refined to a
// fraction of a pixel from the match of the separations on either side. Rows are read top to
// bottom in blocks of columns; a block tries only the separations that the row above matched
// there, those next to them and those their fractions needed, and every whole one (then the
// half pixels around the best) where a pixel then matches poorly (the top of a surface the row
// above did not show). A pixel
// whose best match is not clearly below its average one, estimated from every fourth whole
// separation (a stretch one eye sees alone, a plain area), takes the farther of the
// separations at the ends of its run in the row. A picture where too few pixels match clearly
// is refused rather than read into a made-up map. A picture 64 rows or taller is read as two
// halves at once, on two threads, each starting afresh; the result depends on the picture
// alone.
//
// Its loops run in wide registers where the processor has AVX2 (GCC's target clones), and the
// fraction of a pixel in GCC's vector types, as the compiler turns its selections into branches
// otherwise (27 % of the time on 1000 x 800, against 9 %); the figures are in the source.
class DepthDecoder final
{
public:
    // The narrowest strip it finds or takes, and the smallest picture it reads.
    static constexpr int MinStripWidth = 8;
    static constexpr int MinHeight = 8;
    // How much nearer than the strip width it looks: grey 255 repeats 24.875 pixels nearer.
    static constexpr int MaxShift = 26;

    // Separations in picture coordinates; columns left of the strip width hold 0.
    struct Separations
    {
        int width = 0;
        int height = 0;
        int stripWidth = 0;
        std::vector<float> separation; // pixels
        float at(int x, int y) const { return separation[size_t(y) * size_t(width) + size_t(x)]; }
    };

    struct Result
    {
        RasterImage patternStrip; // stripWidth x picture height, the picture's own pixels
        RasterImage depthMap;     // (picture width - stripWidth) x picture height, greys
        int stripWidth = 0;
    };

    // The strip width of `picture`, or 0 with the reason in `why` (no file name: the caller's
    // message names it) when the picture is too small, one plain colour or repeats nowhere.
    static int findStripWidth(const QImage& picture, QString* why);

    // The separation at every pixel right of `stripWidth`, and in `why` a reason when too few
    // of them match clearly; `stripWidth` must lie in MinStripWidth .. width / 2.
    static Separations separations(const QImage& picture, int stripWidth, QString* why = nullptr);

    // The strip and the depth map of `picture`; `stripWidth` 0 finds it. False with the reason
    // in `why` when the picture cannot be read as a stereogram. Throws std::bad_alloc.
    static bool decode(const QImage& picture, int stripWidth, Result* result, QString* why);

    // The depth grey of separation `s` under strip width `stripWidth`: 56 + 8 (S - s), rounded,
    // within 56 .. 255.
    static int greyFor(float s, int stripWidth);
};
