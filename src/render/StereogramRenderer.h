#pragma once

#include "raster/RasterImage.h"

#include <QRgb>

#include <array>
#include <cstdint>
#include <vector>

// Builds a single-image stereogram into a picture its owner keeps, one row per call, so the
// owner can spread the work over timer ticks and show progress.
//
// PrepareOutput lays the pattern strip at the left edge and the depth map to its right. Each
// RenderRow then walks one row left to right: every pixel right of the strip is replaced by the
// pixel one strip-width further left, moved right by the shift its depth grey asks for. Where
// the depth falls so steeply that the source would not move past the one used last, the pixel
// is taken from 20 rows up and 20 columns left instead of repeating the pattern.
//
// Rows of a strip at least 33 pixels wide go 8 pixels at a time through an AVX2 loop where the
// processor has one. In the render_rows benchmarks, against a memcpy per output row (copy_rows),
// the plain loop takes about 5 times as long, over the targets of 3 and 4; the AVX2 loop about 2.
// Both must give the same pixels: StereogramRendererTest::matchesReference checks them against
// the plain statement of the algorithm at the strip widths on either side of each loop's limits.
class StereogramRenderer final
{
public:
    // What RenderRow returns once every row is rendered.
    static constexpr int EndMark = -1;

    explicit StereogramRenderer(RasterImage& output);

    // Makes the output (strip width + depth width) x depth height, with the strip at the left
    // (repeated downwards, see layStripRow) and the depth map beside it. Reads both images;
    // changes neither.
    void PrepareOutput(const RasterImage& patternStrip, const RasterImage& depthMap);

    // PrepareOutput for an owner that lays out the output itself: it is already (strip width +
    // depth width) x depth height, and each row holds the strip's pixels and the depth map's
    // greys by the time RenderRow reaches it. Filling rows just ahead of rendering them renders
    // them while they are in the cache.
    void PrepareFilledOutput(int stripWidth);

    // Renders row CurrentRow() and returns the progress 0..100 before it (row / depth height,
    // rounded half to even); once past the last row, sets RenderDone and returns EndMark.
    // `patternStripWidth` is where the row starts and `depthMapHeight` what progress is
    // measured against: the images' current sizes, which the user may change mid-way.
    int RenderRow(int patternStripWidth, int depthMapHeight);

    // For a picture that follows edits of its images. PrepareSize sizes the output and resets
    // the state as PrepareOutput does but lays no row out, so the rows hold no pixels yet.
    // RedoRow then lays row y of the images out again and renders it as RenderRow would, with
    // rows y - 20 and above taken as finished. It does nothing and returns false when y lies
    // outside the picture or the images no longer have the sizes of the last set-up (a strip
    // of another height is fine). CurrentRow is left as it is.
    void PrepareSize(const RasterImage& patternStrip, const RasterImage& depthMap);
    bool RedoRow(int y, const RasterImage& patternStrip, const RasterImage& depthMap);

    int StripWidth() const { return m_stripWidth; }
    int CurrentRow() const { return m_currentRow; }
    bool Rendering() const { return m_rendering; }
    bool RenderDone() const { return m_renderDone; }

    // Fills the first strip-width pixels of output row y with strip row y mod the strip's
    // height, so that a strip shorter than the depth map repeats downwards; a strip with no
    // rows leaves them white, the colour of a new picture.
    static void layStripRow(QRgb* row, const RasterImage& patternStrip, int y);

    // The whole 3D picture at once, for callers that do not spread the work over ticks.
    static RasterImage renderAll(const RasterImage& patternStrip, const RasterImage& depthMap);

    // Pixels of shift for a depth-map red byte: round((red - 56) / 8), ties to even, at least 0.
    static int shiftForRed(int red);

    // row * 100 / height rounded half to even and kept within 0..100; 100 when height <= 0.
    static int progressFor(int row, int height);

private:
    void layRow(int y, const RasterImage& patternStrip, const RasterImage& depthMap);
    void renderRowAt(int y, int patternStripWidth);
    void renderRowFast(QRgb* row, const QRgb* above);
    void renderRowChecked(QRgb* row, const QRgb* above, int startX);

    RasterImage& m_output;
    int m_stripWidth = 0;
    int m_currentRow = 0;
    bool m_rendering = false;
    bool m_renderDone = false;
    // A black row standing in for "20 rows up" in the first 20 rows, sized once per picture.
    std::vector<QRgb> m_blackRow;
};
