#include "tools/ToolAver.h"

#include "tools/DrawingState.h"
#include "tools/ToolHost.h"

#include <algorithm>
#include <cstring>

ToolAver::ToolAver(DrawingState& state, ToolHost& host) : TOneTool(state, host)
{
    m_host.setTimerPeriod(50);
    m_host.setPointerShape(ToolHost::PointerShape::Cross);
    m_result.setPalette(greypalette::make());
}

ToolAver::~ToolAver()
{
    m_host.setTimerPeriod(10000);
}

void ToolAver::MouseDown(int x, int y)
{
    if (cancelStroke()) {
        return;
    }
    SaveUndo();
    Active = true;
    X = x;
    Y = y;
}

// The pointer is followed whether a button is held or not.
void ToolAver::MouseMove(int x, int y)
{
    X = x;
    Y = y;
}

void ToolAver::MouseUp(int, int)
{
    Active = false;
}

void ToolAver::Tick()
{
    if (!Active) {
        return;
    }
    m_area = boxRect(X - AreaSize / 2, Y - AreaSize / 2, X + AreaSize / 2, Y + AreaSize / 2);
    smooth();
}

// Weights: 1 for the centre and its four diagonal neighbours, 2 for the four pixels two steps
// away along the axes, 0 for the direct neighbours; 13 in all.
void ToolAver::smooth()
{
    RasterImage& image = *m_state.ActiveImage;
    const QRect changed = m_area.adjusted(Border, Border, -Border, -Border) & image.clipRect();
    if (changed.isEmpty()) {
        return;
    }
    const int w = m_area.width();
    const int h = m_area.height();

    // Where the area reaches past the picture's edge it reads the nearest edge pixel, so the
    // edge smooths like the inside: a uniform picture stays uniform up to its border instead of
    // darkening towards black beyond it.
    for (int r = 0; r < h; ++r) {
        const QRgb* from = image.constScanLine(std::clamp(m_area.top() + r, 0, image.height() - 1));
        QRgb* to = m_source.scanLine(r);
        for (int c = 0; c < w; ++c) {
            to[c] = from[std::clamp(m_area.left() + c, 0, image.width() - 1)];
        }
    }

    auto s = [this](int x, int y) { return int(qRed(m_source.constScanLine(y)[x])); };
    for (int x = Border; x <= w - 1 - Border; ++x) {
        for (int y = Border; y <= h - 1 - Border; ++y) {
            const int v = s(x, y) + s(x - 1, y - 1) + s(x + 1, y - 1) + s(x - 1, y + 1) +
                          s(x + 1, y + 1) +
                          2 * (s(x - 2, y) + s(x + 2, y) + s(x, y - 2) + s(x, y + 2));
            // Rounded to nearest; 13 is odd, so v / 13 is never a tie.
            const int g = (v + 6) / 13;
            m_result.scanLine(y)[x] = qRgb(g, g, g);
        }
    }

    // Only the inner pixels changed, and only those inside the picture are written.
    const int dx = changed.left() - m_area.left();
    for (int y = changed.top(); y <= changed.bottom(); ++y) {
        std::memcpy(image.scanLine(y) + changed.left(),
                    m_result.constScanLine(y - m_area.top()) + dx,
                    std::size_t(changed.width()) * sizeof(QRgb));
    }
    m_host.imageChanged(changed);
}
