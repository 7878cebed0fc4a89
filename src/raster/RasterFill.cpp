#include "raster/RasterImage.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// The seed fill of Heckbert's "A Seed Fill Algorithm": the stack holds runs, not pixels. An entry
// (y, x0, x1, dy) says that row y - dy is filled over [x0, x1] and row y is to be searched there
// for runs to fill; a run that reaches past [x0, x1] also searches back into row y - dy. `rowAt`
// (row, visit) calls visit(inside, fill) with the row's test of a column and its painter of a run
// [x0, x1]; painting a run makes `inside` false on it.
template <typename RowAt> void spanFill(int w, int h, int x, int y, RowAt&& rowAt)
{
    struct Entry
    {
        int y;
        int x0;
        int x1;
        int dy;
    };
    std::vector<Entry> stack;
    rowAt(y, [&](auto&& inside, auto&& fill) {
        int l = x;
        int r = x;
        while (l > 0 && inside(l - 1)) {
            --l;
        }
        while (r < w - 1 && inside(r + 1)) {
            ++r;
        }
        fill(l, r);
        stack.push_back({y - 1, l, r, -1});
        stack.push_back({y + 1, l, r, 1});
    });
    while (!stack.empty()) {
        const Entry e = stack.back();
        stack.pop_back();
        if (e.y < 0 || e.y >= h) {
            continue;
        }
        rowAt(e.y, [&](auto&& inside, auto&& fill) {
            int px = e.x0;
            while (px <= e.x1) {
                if (!inside(px)) {
                    ++px;
                    continue;
                }
                int l = px;
                if (px == e.x0) {
                    while (l > 0 && inside(l - 1)) {
                        --l;
                    }
                }
                int r = px;
                while (r < w - 1 && inside(r + 1)) {
                    ++r;
                }
                fill(l, r);
                stack.push_back({e.y + e.dy, l, r, e.dy});
                if (l < e.x0) {
                    stack.push_back({e.y - e.dy, l, e.x0 - 1, -e.dy});
                }
                if (r > e.x1) {
                    stack.push_back({e.y - e.dy, e.x1 + 1, r, -e.dy});
                }
                px = r + 2;
            }
        });
    }
}

} // namespace

void RasterImage::floodFill(int x, int y, ColorRef color, FloodFillMode mode)
{
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        return;
    }
    const QRgb key = resolve(color) & 0xFFFFFF;
    const bool surface = mode == FloodFillMode::Surface;
    auto matches = [key, surface](QRgb pixel) { return ((pixel & 0xFFFFFF) == key) == surface; };
    if (!matches(constScanLine(y)[x])) {
        return;
    }
    const bool usePattern = preparePattern();
    const QRgb fillColor = resolve(m_brush.color);
    const int w = width();
    // Rows found from the first one: a call per row costs as much as a short run.
    QRgb* const first = scanLine(0);
    const qsizetype stride = m_image.bytesPerLine() / qsizetype(sizeof(QRgb));

    if (!usePattern && !matches(fillColor)) {
        // Painting takes a pixel out of the region, so the picture itself tells which pixels
        // are still to fill.
        spanFill(w, height(), x, y, [&](int row, auto&& visit) {
            QRgb* bits = first + row * stride;
            visit([bits, &matches](int px) { return matches(bits[px]); },
                  [bits, fillColor](int x0, int x1) {
                      std::fill(bits + x0, bits + x1 + 1, fillColor);
                  });
        });
        return;
    }
    if (surface && !usePattern) {
        return; // the region already has the fill colour
    }
    // Painted pixels may still match: a mark per pixel keeps the fill from coming back.
    std::vector<std::uint8_t> done(size_t(w) * size_t(height()), 0);
    spanFill(w, height(), x, y, [&](int row, auto&& visit) {
        std::uint8_t* marks = done.data() + size_t(row) * size_t(w);
        const QRgb* bits = first + row * stride;
        visit([bits, marks, &matches](int px) { return !marks[px] && matches(bits[px]); },
              [this, row, marks, fillColor, usePattern](int x0, int x1) {
                  std::fill(marks + x0, marks + x1 + 1, 1);
                  paintRow(row, x0, x1, fillColor, usePattern, PenMode::Copy);
              });
    });
}
