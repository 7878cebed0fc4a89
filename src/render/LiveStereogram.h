#pragma once

#include "raster/RasterImage.h"
#include "render/FineRenderer.h"
#include "render/StereogramRenderer.h"

#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The 3D picture of two images that keep changing, brought up to date a slice at a time.
//
// A row of the picture depends only on its own row of the depth map, the strip's row it repeats
// and, through the fallback pixels, on the picture's row 20 above. So a reported change makes its
// rows stale; a stale row that comes out different from before makes the row 20 below stale in
// turn, and the chain ends at the first row that comes out as it was. Stale rows are rendered top
// first, so the row 20 above is always finished, and the picture ends up byte for byte the one a
// rendering from scratch gives.
//
// Images of other sizes than at the last pass, or pixels changed since then without a report,
// make every row stale.
//
// It renders as Make 3D does, or with the finer renderer. A row of the finer renderer's picture
// depends on nothing but its own rows of the images, so there a change makes only its own rows
// stale; its picture has the dots band, when it has one, above the depth map's rows.
class LiveStereogram final
{
public:
    struct Mode
    {
        bool fine = false;
        FineRenderer::Options options; // for the finer renderer
        // The finer renderer's strip of random colours (FineRenderer::randomStrip) instead of
        // the pattern strip, which is then left out of the picture and of the reports.
        bool randomStrip = false;
        quint32 seed = 1;
        bool operator==(const Mode&) const;
    };

    // `setMarksShown(false)` takes the tools' marks (a marquee, a caret) out of the images while
    // rows are read, and `setMarksShown(true)` puts them back; both may report changes, which
    // are ignored. The images must outlive this object.
    LiveStereogram(const RasterImage& patternStrip, const RasterImage& depthMap,
                   std::function<void(bool)> setMarksShown = {});

    // Rows first..last of an image changed; image rows are picture rows, and a change of a strip
    // shorter than the picture shows in every repeat of those rows too. Returns false when the
    // report is ignored because it comes from taking out or putting back the marks.
    bool rowsChanged(int first, int last);
    // Every row stale.
    void restart();

    // Another mode starts over: the picture may change its size.
    void setMode(const Mode& mode);
    const Mode& mode() const { return m_mode; }

    // Brings stale rows up to date, top first, until none is left or `budgetNs` nanoseconds
    // have passed; at least one row per call. Returns whether the picture is up to date.
    bool render(qint64 budgetNs);
    bool upToDate() const;

    // Frees the picture; the next render starts over.
    void release();

    // Whether picture() holds a whole 3D picture: false until the first pass after a size
    // change has finished, then true while later changes come in (each row either as it was
    // or brought up to date).
    bool hasPicture() const { return m_complete; }
    const RasterImage& picture() const { return m_picture; }
    // The last start-over failed for want of memory; it is tried again at the next change.
    bool outOfMemory() const { return m_outOfMemory; }

    // Rows rendered since construction, for tests and measurements.
    qint64 rowsRendered() const { return m_rowsRendered; }

private:
    struct Sizes
    {
        int stripWidth = -1;
        int stripHeight = -1;
        int depthWidth = -1;
        int depthHeight = -1;
        bool operator==(const Sizes&) const = default;
    };
    Sizes currentSizes() const;
    std::pair<qint64, qint64> currentKeys() const;
    bool startOver();
    void renderStaleRow(int y);
    const RasterImage& strip() const;

    const RasterImage& m_patternStrip;
    const RasterImage& m_depthMap;
    std::function<void(bool)> m_setMarksShown;
    RasterImage m_picture;
    StereogramRenderer m_renderer{m_picture};
    Mode m_mode;
    RasterImage m_randomStrip;
    // The finer renderer's rows for the pass that is running.
    std::unique_ptr<FineRenderer::Rows> m_fineRows;
    int m_band = 0; // rows of the picture above the depth map's
    Sizes m_sizes;
    // cacheKey() of both images after the last report or pass: QImage gives a new key at every
    // write, so another key means a change nobody reported.
    std::pair<qint64, qint64> m_seenKeys{0, 0};
    std::vector<std::uint8_t> m_stale;
    std::vector<QRgb> m_previousRow;
    int m_firstStale = 0; // no row above it is stale
    bool m_complete = false;
    bool m_reading = false;
    bool m_outOfMemory = false;
    qint64 m_rowsRendered = 0;
};
