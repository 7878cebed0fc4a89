#include "render/LiveStereogram.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// How far up the renderer's fallback pixels read: the only way one row reaches another.
constexpr int FallbackRows = 20;

} // namespace

LiveStereogram::LiveStereogram(const RasterImage& patternStrip, const RasterImage& depthMap,
                               std::function<void(bool)> setMarksShown)
    : m_patternStrip(patternStrip), m_depthMap(depthMap), m_setMarksShown(std::move(setMarksShown))
{}

bool LiveStereogram::Mode::operator==(const Mode& other) const
{
    return fine == other.fine && options.oversample == other.options.oversample &&
           options.dots == other.options.dots && randomStrip == other.randomStrip &&
           seed == other.seed;
}

// The random strip is as tall as the depth map and follows no edit: its size and key stand
// still.
LiveStereogram::Sizes LiveStereogram::currentSizes() const
{
    const bool random = m_mode.fine && m_mode.randomStrip;
    return {random ? FineRenderer::RandomStripWidth : m_patternStrip.width(),
            random ? 0 : m_patternStrip.height(), m_depthMap.width(), m_depthMap.height()};
}

std::pair<qint64, qint64> LiveStereogram::currentKeys() const
{
    const bool random = m_mode.fine && m_mode.randomStrip;
    return {random ? 0 : m_patternStrip.image().cacheKey(), m_depthMap.image().cacheKey()};
}

const RasterImage& LiveStereogram::strip() const
{
    return m_mode.fine && m_mode.randomStrip ? m_randomStrip : m_patternStrip;
}

void LiveStereogram::setMode(const Mode& mode)
{
    if (mode == m_mode) {
        return;
    }
    release();
    m_mode = mode;
}

bool LiveStereogram::rowsChanged(int first, int last)
{
    if (m_reading) {
        return false;
    }
    // Only a change of the strip shows again further down, where a short strip repeats.
    const std::pair<qint64, qint64> keys = currentKeys();
    const bool stripChanged = keys.first != m_seenKeys.first;
    if (m_mode.fine && m_mode.randomStrip && keys == m_seenKeys) {
        return true; // the pattern strip, which the picture leaves out
    }
    m_seenKeys = keys;
    const int height = int(m_stale.size());
    const int period =
        stripChanged && m_patternStrip.height() > 0 ? m_patternStrip.height() : height;
    first = std::max(first, 0);
    last = std::min(last, height - 1);
    if (first <= last) {
        for (int top = 0; first + top < height; top += period) {
            std::fill(m_stale.begin() + first + top,
                      m_stale.begin() + std::min(last + top, height - 1) + 1, std::uint8_t(1));
        }
        m_firstStale = std::min(m_firstStale, first);
    }
    return true;
}

void LiveStereogram::restart()
{
    if (m_reading) {
        return;
    }
    m_seenKeys = currentKeys();
    std::fill(m_stale.begin(), m_stale.end(), std::uint8_t(1));
    m_firstStale = 0;
}

bool LiveStereogram::upToDate() const
{
    return !m_outOfMemory && m_sizes == currentSizes() && m_seenKeys == currentKeys() &&
           m_firstStale >= int(m_stale.size());
}

void LiveStereogram::release()
{
    m_picture = RasterImage();
    m_randomStrip = RasterImage();
    m_fineRows.reset();
    m_sizes = Sizes();
    m_stale = {};
    m_previousRow = {};
    m_firstStale = 0;
    m_complete = false;
}

// A picture of the same size keeps its pixels, and stays whole while its rows are redone.
bool LiveStereogram::startOver()
{
    const int width = currentSizes().stripWidth + m_depthMap.width();
    const int band = m_mode.fine && m_mode.options.dots
                         ? FineRenderer::dotBandHeight(currentSizes().stripWidth)
                         : 0;
    const bool samePicture = !m_picture.isEmpty() && m_picture.width() == width &&
                             m_picture.height() == m_depthMap.height() + band;
    try {
        if (m_mode.fine) {
            if (m_mode.randomStrip) {
                m_randomStrip = FineRenderer::randomStrip(m_depthMap.height(), m_mode.seed);
            }
            // A strip without pixels leaves a white picture and no rows to render.
            const bool rows = FineRenderer::layOut(strip(), m_depthMap, m_mode.options, m_picture);
            m_band = band;
            m_stale.assign(rows ? size_t(m_depthMap.height()) : 0, 1);
        } else {
            m_renderer.PrepareSize(m_patternStrip, m_depthMap);
            m_band = 0;
            m_previousRow.resize(size_t(m_picture.width()));
            m_stale.assign(size_t(m_picture.height()), 1);
        }
    } catch (const std::bad_alloc&) {
        release();
        m_outOfMemory = true;
        return false;
    }
    m_outOfMemory = false;
    m_sizes = currentSizes();
    m_seenKeys = currentKeys();
    m_firstStale = 0;
    m_complete = m_complete && samePicture;
    return true;
}

bool LiveStereogram::render(qint64 budgetNs)
{
    QElapsedTimer clock;
    clock.start();
    if (m_sizes != currentSizes()) {
        if (!startOver()) {
            return true;
        }
    } else if (m_seenKeys != currentKeys()) {
        restart();
    }
    const int height = int(m_stale.size());
    auto skipFresh = [&] {
        while (m_firstStale < height && !m_stale[size_t(m_firstStale)]) {
            ++m_firstStale;
        }
    };
    skipFresh();
    if (m_firstStale < height) {
        m_reading = true;
        if (m_setMarksShown) {
            m_setMarksShown(false);
        }
        if (m_mode.fine) {
            m_fineRows = std::make_unique<FineRenderer::Rows>(strip(), m_depthMap, m_mode.options);
        }
        do {
            renderStaleRow(m_firstStale++);
            skipFresh();
        } while (m_firstStale < height && clock.nsecsElapsed() < budgetNs);
        m_fineRows.reset();
        if (m_setMarksShown) {
            m_setMarksShown(true);
        }
        m_reading = false;
        m_seenKeys = currentKeys();
    }
    if (m_firstStale < height) {
        return false;
    }
    m_complete = true;
    return true;
}

// The row's old pixels are kept for comparison only where the row below would not be redone
// anyway.
void LiveStereogram::renderStaleRow(int y)
{
    if (m_fineRows) {
        m_fineRows->render(y, m_picture.scanLine(m_band + y));
        m_stale[size_t(y)] = 0;
        ++m_rowsRendered;
        return;
    }
    const size_t below = size_t(y) + FallbackRows;
    const size_t bytes = m_previousRow.size() * sizeof(QRgb);
    const bool watch = bytes > 0 && below < m_stale.size() && !m_stale[below];
    if (watch) {
        std::memcpy(m_previousRow.data(), m_picture.constScanLine(y), bytes);
    }
    m_renderer.RedoRow(y, m_patternStrip, m_depthMap);
    if (watch && std::memcmp(m_previousRow.data(), m_picture.constScanLine(y), bytes) != 0) {
        m_stale[below] = 1;
    }
    m_stale[size_t(y)] = 0;
    ++m_rowsRendered;
}
