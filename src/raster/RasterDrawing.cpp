#include "raster/RasterImage.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <vector>

// An inclusive run of pixels [x0, x1] on row y.
struct RasterImage::Span
{
    int y;
    int x0;
    int x1;
};

namespace {

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

} // namespace

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

QRect RasterImage::rectangleFill(int x1, int y1, int x2, int y2) const
{
    if (m_brush.style == BrushStyle::Clear) {
        return {};
    }
    const Box box = Box::normalised(x1, y1, x2, y2);
    const Box fill = m_pen.style != PenStyle::Clear
                         ? box.inset(std::max(m_pen.width, 1))
                         : Box{box.left, box.top, box.right - 1, box.bottom - 1};
    if (fill.isEmpty()) {
        return {};
    }
    return QRect(QPoint(fill.left, fill.top), QPoint(fill.right - 1, fill.bottom - 1)) &
           QRect(0, 0, width(), height());
}

void RasterImage::rectangle(int x1, int y1, int x2, int y2)
{
    if (isEmpty()) {
        return;
    }
    const Box box = Box::normalised(x1, y1, x2, y2);
    const bool hasPen = m_pen.style != PenStyle::Clear;
    if (const QRect fill = rectangleFill(x1, y1, x2, y2); !fill.isEmpty()) {
        std::vector<Span> spans;
        for (int y = fill.top(); y <= fill.bottom(); ++y) {
            spans.push_back({y, fill.left(), fill.right()});
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
