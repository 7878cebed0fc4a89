#include "raster/RasterImage.h"

#include "files/PictureFiles.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <utility>
#include <vector>

// An inclusive run of pixels [x0, x1] on row y.
struct RasterImage::Span
{
    int y;
    int x0;
    int x1;
};

namespace {

constexpr QRgb OpaqueBits = 0xFF000000;

QRgb combine(QRgb dest, QRgb source, PenMode mode)
{
    switch (mode) {
    case PenMode::Copy:
        return source;
    case PenMode::Xor:
        return (dest ^ source) | OpaqueBits;
    case PenMode::Not:
        return ~dest | OpaqueBits;
    case PenMode::Mask:
        return dest & source;
    case PenMode::Merge:
        return dest | source;
    }
    return source;
}

QImage toOpaqueRgb32(const QImage& image)
{
    if (image.isNull()) {
        return QImage();
    }
    if (!image.hasAlphaChannel()) {
        return image.convertToFormat(QImage::Format_RGB32);
    }
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    return opaque;
}

struct Box
{
    int left;
    int top;
    int right; // exclusive
    int bottom;

    static Box normalised(int x1, int y1, int x2, int y2)
    {
        return Box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    }
    bool isEmpty() const { return right <= left || bottom <= top; }
    Box inset(int d) const { return Box{left + d, top + d, right - d, bottom - d}; }
};

struct RowSpan
{
    int x0;
    int x1;
};

// The pixels of row y whose centres lie inside the ellipse inscribed in `box`, found with
// exact integer arithmetic on doubled coordinates (pixel x has its centre at 2x + 1).
std::optional<RowSpan> ellipseRow(const Box& box, int y)
{
    if (box.isEmpty() || y < box.top || y >= box.bottom) {
        return std::nullopt;
    }
    __extension__ using Wide = __int128;
    const Wide a = box.right - box.left;
    const Wide b = box.bottom - box.top;
    const Wide ry = Wide(2) * y + 1 - box.top - box.bottom;
    // Columns with X^2 b^2 + Y^2 a^2 <= a^2 b^2, X = 2x + 1 - left - right.
    const Wide limit = a * a * b * b - ry * ry * a * a;
    if (limit < 0) {
        return std::nullopt;
    }
    const Wide bb = b * b;
    auto m = static_cast<long long>(std::sqrt(static_cast<long double>(limit) / bb));
    while (Wide(m + 1) * (m + 1) * bb <= limit) {
        ++m;
    }
    while (m > 0 && Wide(m) * m * bb > limit) {
        --m;
    }
    // X has the parity of a + 1.
    if (((m ^ static_cast<long long>(a + 1)) & 1) != 0) {
        --m;
    }
    if (m < 0) {
        return std::nullopt;
    }
    const long long centre = static_cast<long long>(box.left) + box.right - 1;
    return RowSpan{int((centre - m) / 2), int((centre + m) / 2)};
}

// Pixels of the ellipse whose four neighbours are also in it.
std::optional<RowSpan> ellipseInteriorRow(const Box& box, int y)
{
    const auto row = ellipseRow(box, y);
    const auto above = ellipseRow(box, y - 1);
    const auto below = ellipseRow(box, y + 1);
    if (!row || !above || !below) {
        return std::nullopt;
    }
    const int x0 = std::max({row->x0 + 1, above->x0, below->x0});
    const int x1 = std::min({row->x1 - 1, above->x1, below->x1});
    if (x0 > x1) {
        return std::nullopt;
    }
    return RowSpan{x0, x1};
}

// Appends the area of `outer` not covered by `inner` (which lies within it).
template <typename Out>
void appendDifference(Out& spans, int y, RowSpan outer, std::optional<RowSpan> inner)
{
    if (!inner) {
        spans.push_back({y, outer.x0, outer.x1});
        return;
    }
    if (inner->x0 > outer.x0) {
        spans.push_back({y, outer.x0, inner->x0 - 1});
    }
    if (inner->x1 < outer.x1) {
        spans.push_back({y, inner->x1 + 1, outer.x1});
    }
}

bool dotOn(int step)
{
    return step % 6 < 3;
}

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

RasterImage::RasterImage(int width, int height)
{
    setSize(width, height);
}

void RasterImage::setImage(const QImage& image)
{
    m_image = toOpaqueRgb32(image);
    m_width = m_image.width();
    m_height = m_image.height();
}

void RasterImage::setSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height) {
        return;
    }
    m_width = width;
    m_height = height;
    if (width == 0 || height == 0) {
        m_image = QImage();
        return;
    }
    QImage resized(width, height, QImage::Format_RGB32);
    if (resized.isNull()) {
        throw std::bad_alloc();
    }
    resized.fill(resolve(m_brush.color));
    const int keepW = std::min(width, m_image.width());
    const int keepH = std::min(height, m_image.height());
    for (int y = 0; y < keepH; ++y) {
        std::memcpy(resized.scanLine(y), m_image.constScanLine(y), size_t(keepW) * sizeof(QRgb));
    }
    m_image = std::move(resized);
}

ColorRef RasterImage::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        return colorref::Invalid;
    }
    return colorref::fromRgb(constScanLine(y)[x]);
}

void RasterImage::setPixel(int x, int y, ColorRef color)
{
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        return;
    }
    scanLine(y)[x] = resolve(color);
}

QRgb RasterImage::resolve(ColorRef color) const
{
    if (colorref::kind(color) == colorref::KindPaletteIndex && !m_palette.isEmpty()) {
        const qsizetype index = color & 0xFFFF;
        return m_palette.value(index < m_palette.size() ? index : 0).rgb();
    }
    return colorref::toRgb(color);
}

void RasterImage::copyRect(const QRect& destRect, const RasterImage& source,
                           const QRect& sourceRect)
{
    const int dw = destRect.width();
    const int dh = destRect.height();
    if (dw == 0 || dh == 0 || isEmpty()) {
        return;
    }
    const int destLeft = dw < 0 ? destRect.left() + dw : destRect.left();
    const int destTop = dh < 0 ? destRect.top() + dh : destRect.top();
    const int destW = std::abs(dw);
    const int destH = std::abs(dh);
    const int colFrom = std::max(0, -destLeft);
    const int colTo = std::min(destW, width() - destLeft);
    const int rowFrom = std::max(0, -destTop);
    const int rowTo = std::min(destH, height() - destTop);
    if (colFrom >= colTo || rowFrom >= rowTo) {
        return;
    }
    if (m_copyMode == CopyMode::Blackness) {
        for (int r = rowFrom; r < rowTo; ++r) {
            QRgb* row = scanLine(destTop + r);
            std::fill(row + destLeft + colFrom, row + destLeft + colTo, OpaqueBits);
        }
        return;
    }

    const int sw = sourceRect.width();
    const int sh = sourceRect.height();
    if (sw == 0 || sh == 0 || source.isEmpty()) {
        return;
    }
    const int srcLeft = sw < 0 ? sourceRect.left() + sw : sourceRect.left();
    const int srcTop = sh < 0 ? sourceRect.top() + sh : sourceRect.top();
    const int srcW = std::abs(sw);
    const int srcH = std::abs(sh);
    const bool mirrorX = (dw < 0) != (sw < 0);
    const bool mirrorY = (dh < 0) != (sh < 0);

    // Nearest source pixel of destination offset i: the one under the centre of i.
    auto mapOffset = [](int i, int destSize, int srcSize, bool mirror) {
        const int s = int((2LL * i + 1) * srcSize / (2LL * destSize));
        return mirror ? srcSize - 1 - s : s;
    };

    // A shallow copy: when source and destination share pixels (a copy within one picture),
    // writing detaches this picture and the reads stay on the old pixels.
    const QImage src = source.m_image;
    const int srcWidth = src.width();
    const int srcHeight = src.height();

    std::vector<int> srcCols(size_t(colTo - colFrom));
    for (int c = colFrom; c < colTo; ++c) {
        srcCols[size_t(c - colFrom)] = srcLeft + mapOffset(c, destW, srcW, mirrorX);
    }
    // Identity columns: the stretch of each row that lies inside the source is taken in one run.
    const bool identity = destW == srcW && !mirrorX;
    const bool plain = m_copyMode == CopyMode::SourceCopy && identity;

    for (int r = rowFrom; r < rowTo; ++r) {
        const int sy = srcTop + mapOffset(r, destH, srcH, mirrorY);
        if (sy < 0 || sy >= srcHeight) {
            continue;
        }
        const auto* srcRow = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
        QRgb* destRow = scanLine(destTop + r) + destLeft;
        if (identity) {
            const int first = std::max(colFrom, -(srcLeft));
            const int last = std::min(colTo, srcWidth - srcLeft);
            if (first >= last) {
                continue;
            }
            QRgb* d = destRow + first;
            const QRgb* sp = srcRow + srcLeft + first;
            const int n = last - first;
            if (plain) {
                std::memcpy(d, sp, size_t(n) * sizeof(QRgb));
                continue;
            }
            // Tight loops per mode, so the compiler can vectorise them (floating selections
            // are composed with OR and AND on every move step).
            switch (m_copyMode) {
            case CopyMode::SourceAnd:
                for (int i = 0; i < n; ++i) {
                    d[i] &= sp[i];
                }
                continue;
            case CopyMode::SourceOr:
                for (int i = 0; i < n; ++i) {
                    d[i] |= sp[i];
                }
                continue;
            default:
                break;
            }
        }
        for (int c = colFrom; c < colTo; ++c) {
            const int sx = srcCols[size_t(c - colFrom)];
            if (sx < 0 || sx >= srcWidth) {
                continue;
            }
            const QRgb s = srcRow[sx];
            QRgb& d = destRow[c];
            switch (m_copyMode) {
            case CopyMode::SourceCopy:
                d = s;
                break;
            case CopyMode::SourceAnd:
                d = d & s;
                break;
            case CopyMode::SourceXor:
                d = (d ^ s) | OpaqueBits;
                break;
            case CopyMode::SourceOr:
                d = d | s;
                break;
            case CopyMode::Blackness:
                d = OpaqueBits;
                break;
            }
        }
    }
}

void RasterImage::draw(int x, int y, const RasterImage& source)
{
    copyRect(QRect(x, y, source.width(), source.height()), source, source.clipRect());
}

void RasterImage::stretchDraw(const QRect& destRect, const RasterImage& source)
{
    copyRect(destRect, source, source.clipRect());
}

void RasterImage::paintRow(int y, int x0, int x1, QRgb color, bool usePattern, PenMode mode)
{
    if (y < 0 || y >= height()) {
        return;
    }
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width() - 1);
    if (x0 > x1) {
        return;
    }
    QRgb* row = scanLine(y);
    if (usePattern) {
        const QImage& pattern = m_brush.pattern;
        const auto* patternRow =
            reinterpret_cast<const QRgb*>(pattern.constScanLine(y % pattern.height()));
        const int pw = pattern.width();
        for (int x = x0; x <= x1; ++x) {
            row[x] = combine(row[x], patternRow[x % pw] | OpaqueBits, mode);
        }
        return;
    }
    // One loop per mode, so that each is a plain loop the compiler vectorises.
    auto apply = [first = row + x0, last = row + x1 + 1](auto op) {
        std::transform(first, last, first, op);
    };
    switch (mode) {
    case PenMode::Copy:
        std::fill(row + x0, row + x1 + 1, color);
        break;
    case PenMode::Xor:
        apply([color](QRgb d) { return (d ^ color) | OpaqueBits; });
        break;
    case PenMode::Not:
        apply([](QRgb d) { return ~d | OpaqueBits; });
        break;
    case PenMode::Mask:
        apply([color](QRgb d) { return d & color; });
        break;
    case PenMode::Merge:
        apply([color](QRgb d) { return d | color; });
        break;
    }
}

void RasterImage::paintPixel(int x, int y, QRgb color, PenMode mode)
{
    if (x < 0 || y < 0 || x >= width() || y >= height()) {
        return;
    }
    QRgb& d = scanLine(y)[x];
    d = combine(d, color, mode);
}

bool RasterImage::preparePattern()
{
    if (m_brush.pattern.isNull()) {
        return false;
    }
    if (m_brush.pattern.format() != QImage::Format_RGB32) {
        m_brush.pattern = m_brush.pattern.convertToFormat(QImage::Format_RGB32);
    }
    return true;
}

// Shape interiors: the brush, combined through the pen mode like the outline.
void RasterImage::fillSpans(const std::vector<Span>& spans)
{
    const bool usePattern = preparePattern();
    const QRgb color = resolve(m_brush.color);
    for (const Span& s : spans) {
        paintRow(s.y, s.x0, s.x1, color, usePattern, m_pen.mode);
    }
}

void RasterImage::drawOutline(const std::vector<Span>& spans)
{
    const QRgb color = resolve(m_pen.color);
    for (const Span& s : spans) {
        paintRow(s.y, s.x0, s.x1, color, false, m_pen.mode);
    }
}

void RasterImage::rectangle(int x1, int y1, int x2, int y2)
{
    if (isEmpty()) {
        return;
    }
    const Box box = Box::normalised(x1, y1, x2, y2);
    const bool hasPen = m_pen.style != PenStyle::Clear;
    const bool hasBrush = m_brush.style != BrushStyle::Clear;
    const Box fill = hasPen ? box.inset(std::max(m_pen.width, 1))
                            : Box{box.left, box.top, box.right - 1, box.bottom - 1};
    if (hasBrush && !fill.isEmpty()) {
        std::vector<Span> spans;
        for (int y = std::max(fill.top, 0); y < std::min(fill.bottom, height()); ++y) {
            spans.push_back({y, fill.left, fill.right - 1});
        }
        fillSpans(spans);
    }
    if (!hasPen || box.isEmpty()) {
        return;
    }
    if (m_pen.style == PenStyle::Dotted && m_pen.width <= 1) {
        // Walk the ring clockwise from the top-left corner, each pixel once.
        const QRgb color = resolve(m_pen.color);
        const int l = box.left, t = box.top, r = box.right - 1, b = box.bottom - 1;
        int step = 0;
        auto dot = [&](int x, int y) {
            if (dotOn(step++)) {
                paintPixel(x, y, color, m_pen.mode);
            }
        };
        for (int x = l; x <= r; ++x) {
            dot(x, t);
        }
        for (int y = t + 1; y <= b; ++y) {
            dot(r, y);
        }
        if (b > t) {
            for (int x = r - 1; x >= l; --x) {
                dot(x, b);
            }
        }
        if (r > l) {
            for (int y = b - 1; y > t; --y) {
                dot(l, y);
            }
        }
        return;
    }
    const Box inner = box.inset(std::max(m_pen.width, 1));
    std::vector<Span> band;
    for (int y = std::max(box.top, 0); y < std::min(box.bottom, height()); ++y) {
        std::optional<RowSpan> hole;
        if (!inner.isEmpty() && y >= inner.top && y < inner.bottom) {
            hole = RowSpan{inner.left, inner.right - 1};
        }
        appendDifference(band, y, RowSpan{box.left, box.right - 1}, hole);
    }
    drawOutline(band);
}

void RasterImage::ellipse(int x1, int y1, int x2, int y2)
{
    if (isEmpty()) {
        return;
    }
    const Box box = Box::normalised(x1, y1, x2, y2);
    const bool hasPen = m_pen.style != PenStyle::Clear;
    const bool hasBrush = m_brush.style != BrushStyle::Clear;
    const int yFrom = std::max(box.top, 0);
    const int yTo = std::min(box.bottom, height());

    if (!hasPen) {
        if (!hasBrush) {
            return;
        }
        const Box fillBox{box.left, box.top, box.right - 1, box.bottom - 1};
        std::vector<Span> spans;
        for (int y = yFrom; y < yTo; ++y) {
            if (const auto row = ellipseRow(fillBox, y)) {
                spans.push_back({y, row->x0, row->x1});
            }
        }
        fillSpans(spans);
        return;
    }

    // The outline is the ellipse less the interior of the ellipse inset by the pen width; the
    // brush fills that interior, so no pixel is painted twice.
    const Box inset = box.inset(std::max(m_pen.width, 1) - 1);
    std::vector<Span> band;
    std::vector<Span> fill;
    for (int y = yFrom; y < yTo; ++y) {
        const auto row = ellipseRow(box, y);
        if (!row) {
            continue;
        }
        const auto inner = ellipseInteriorRow(inset, y);
        appendDifference(band, y, *row, inner);
        if (inner) {
            fill.push_back({y, inner->x0, inner->x1});
        }
    }
    if (hasBrush) {
        fillSpans(fill);
    }
    drawOutline(band);
}

void RasterImage::lineTo(int x, int y)
{
    const QPoint from = m_penPos;
    const QPoint to(x, y);
    m_penPos = to;
    if (m_pen.style == PenStyle::Clear || isEmpty()) {
        return;
    }
    if (m_pen.width > 1) {
        drawWideLine(from, to);
        return;
    }
    // Bresenham from the start point, stopping before the end point.
    const QRgb color = resolve(m_pen.color);
    const bool dotted = m_pen.style == PenStyle::Dotted;
    int px = from.x();
    int py = from.y();
    const int dx = std::abs(to.x() - px);
    const int dy = -std::abs(to.y() - py);
    const int sx = px < to.x() ? 1 : -1;
    const int sy = py < to.y() ? 1 : -1;
    int err = dx + dy;
    for (int step = 0; px != to.x() || py != to.y(); ++step) {
        if (!dotted || dotOn(step)) {
            paintPixel(px, py, color, m_pen.mode);
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            px += sx;
        }
        if (e2 <= dx) {
            err += dx;
            py += sy;
        }
    }
}

// A wide line is a round pen w pixels across swept along the Bresenham pixels from end to end.
// The pen covers the pixels (i, j) around its centre with (2i + s)^2 + (2j + s)^2 <= w^2, where
// s is 1 for even widths: the pen's centre then lies on a pixel corner, so it is exactly w
// pixels high and wide, the extra pixel above and left of the line. Each row of the swept shape
// is one run, so it is gathered as per-row extents and painted once.
void RasterImage::drawWideLine(QPoint from, QPoint to)
{
    const int w = m_pen.width;
    const int s = w % 2 == 0 ? 1 : 0;
    const int reach = w / 2 + 1;
    // Extents of the pen by row offset: columns cx + lo .. cx + hi; lo > hi where the row
    // misses the pen.
    std::vector<int> penLo(size_t(2 * reach + 1), 1);
    std::vector<int> penHi(size_t(2 * reach + 1), 0);
    for (int d = -reach; d <= reach; ++d) {
        const int rest = w * w - (2 * d + s) * (2 * d + s);
        if (rest < 0) {
            continue;
        }
        // Largest m with m^2 <= rest and m of the parity of s, then |2i + s| <= m.
        int m = int(std::sqrt(double(rest)));
        while ((m + 1) * (m + 1) <= rest) {
            ++m;
        }
        while (m * m > rest) {
            --m;
        }
        if ((m - s) % 2 != 0) {
            --m;
        }
        if (m < 0) {
            continue;
        }
        penLo[size_t(d + reach)] = (-m - s) / 2;
        penHi[size_t(d + reach)] = (m - s) / 2;
    }
    const int top = std::min(from.y(), to.y()) - reach;
    const int bottom = std::max(from.y(), to.y()) + reach;
    const int rowFrom = std::max(top, 0);
    const int rowTo = std::min(bottom, height() - 1);
    if (rowFrom > rowTo) {
        return;
    }
    std::vector<int> minX(size_t(rowTo - rowFrom + 1), std::numeric_limits<int>::max());
    std::vector<int> maxX(minX.size(), std::numeric_limits<int>::min());
    auto stamp = [&](int cx, int cy) {
        for (int d = -reach; d <= reach; ++d) {
            const int lo = penLo[size_t(d + reach)];
            const int hi = penHi[size_t(d + reach)];
            const int y = cy + d;
            if (lo > hi || y < rowFrom || y > rowTo) {
                continue;
            }
            const size_t i = size_t(y - rowFrom);
            minX[i] = std::min(minX[i], cx + lo);
            maxX[i] = std::max(maxX[i], cx + hi);
        }
    };
    int px = from.x();
    int py = from.y();
    const int dx = std::abs(to.x() - px);
    const int dy = -std::abs(to.y() - py);
    const int sx = px < to.x() ? 1 : -1;
    const int sy = py < to.y() ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        stamp(px, py);
        if (px == to.x() && py == to.y()) {
            break;
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            px += sx;
        }
        if (e2 <= dx) {
            err += dx;
            py += sy;
        }
    }
    const QRgb color = resolve(m_pen.color);
    for (size_t i = 0; i < minX.size(); ++i) {
        if (minX[i] <= maxX[i]) {
            paintRow(rowFrom + int(i), minX[i], maxX[i], color, false, m_pen.mode);
        }
    }
}

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

void RasterImage::textOut(int x, int y, const QString& text)
{
    if (isEmpty() || text.isEmpty()) {
        return;
    }
    QFont font = m_font.font;
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    if (m_brush.style == BrushStyle::Solid) {
        painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()),
                         QColor(resolve(m_brush.color)));
    }
    painter.setPen(QColor(resolve(m_font.color)));
    painter.drawText(x, y + metrics.ascent(), text);
}

bool RasterImage::load(const QString& path, QString* error)
{
    QImage decoded;
    if (!readPictureFile(path, &decoded, error)) {
        return false;
    }
    QString reason;
    if (!adopt(decoded, &reason)) {
        if (error) {
            *error =
                QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), reason);
        }
        return false;
    }
    return true;
}

bool RasterImage::loadFromData(QByteArrayView bytes, const QByteArray& formatHint, QString* reason)
{
    QImage decoded;
    return decodePicture(bytes, formatHint, &decoded, reason) && adopt(decoded, reason);
}

bool RasterImage::adopt(const QImage& decoded, QString* reason)
{
    const QImage opaque = toOpaqueRgb32(decoded);
    if (opaque.isNull()) {
        if (reason) {
            *reason = QStringLiteral("not enough memory for the %1 x %2 picture")
                          .arg(decoded.width())
                          .arg(decoded.height());
        }
        return false;
    }
    m_image = opaque;
    m_width = opaque.width();
    m_height = opaque.height();
    return true;
}

bool RasterImage::save(const QString& path, QString* error) const
{
    return savePictureFile(m_image, path, error);
}
