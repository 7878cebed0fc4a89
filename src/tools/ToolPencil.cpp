#include "tools/ToolPencil.h"

#include "tools/DrawingState.h"
#include "tools/ToolHost.h"

#include <QDateTime>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<int, 4> LineWidths{1, 3, 7, 13};
constexpr std::array<int, 4> SolidDabHalfSizes{0, 1, 4, 7};
constexpr std::array<int, 4> SprayDabHalfSizes{2, 4, 6, 8};

// A random number at or below this leaves the spray pattern's pixel unpainted.
constexpr double SprayGap = 0.9;

constexpr QRgb WhitePixel = 0xFFFFFFFF;
constexpr QRgb BlackPixel = 0xFF000000;

std::size_t sizeIndex(int penSize)
{
    return std::size_t(std::clamp(penSize, 0, 3));
}

// The pixels a line of `width` from `from` to `to` can reach: a wide line is a disc of that
// width swept along the line.
QRect lineReach(QPoint from, QPoint to, int width)
{
    const int grow = width > 1 ? width / 2 : 0;
    return QRect(QPoint(std::min(from.x(), to.x()) - grow, std::min(from.y(), to.y()) - grow),
                 QPoint(std::max(from.x(), to.x()) + grow, std::max(from.y(), to.y()) + grow));
}

} // namespace

ToolPencil::ToolPencil(DrawingState& state, ToolHost& host) : TOneTool(state, host)
{
    m_host.setPenStylePickerVisible(true);
    m_host.ShowCurrentPalette();
    m_host.setTimerPeriod(50);
    m_host.setPointerShape(ToolHost::PointerShape::Cross);
    if (m_state.DepthMapActive) {
        m_colorPattern.setPalette(greypalette::make());
        m_maskPattern.setPalette(m_colorPattern.palette());
    }
}

ToolPencil::~ToolPencil()
{
    // A tool changed in the middle of a stroke must not leave its pattern in the image's brush,
    // where the next tool would fill with it.
    if (Active) {
        resetImageDrawing();
    }
    m_host.setPenStylePickerVisible(false);
    m_host.HidePalettes();
    m_host.setTimerPeriod(1000);
}

int ToolPencil::lineWidth(int penSize)
{
    return LineWidths[sizeIndex(penSize)];
}

int ToolPencil::dabHalfSize(int penSize, bool spray)
{
    return (spray ? SprayDabHalfSizes : SolidDabHalfSizes)[sizeIndex(penSize)];
}

void ToolPencil::MouseDown(int x, int y)
{
    if (cancelStroke()) {
        return;
    }
    SaveUndo();
    Active = true;
    m_current = QPoint(x, y);

    RasterImage& image = *m_state.ActiveImage;
    image.moveTo(x, y);
    image.pen().style = PenStyle::Clear;
    image.pen().color = m_state.CurrentColor;
    image.pen().width = lineWidth(m_state.PenSize);
    // Giving the brush a colour also makes it paint again after a tool left it clear.
    image.brush().color = m_state.CurrentColor;
    image.brush().style = BrushStyle::Solid;

    QRect changed;
    if (m_state.PenSpray) {
        m_random.seed(m_spraySeed.value_or(quint32(QDateTime::currentMSecsSinceEpoch())));
    } else if (m_state.PenSize == 0) {
        // The smallest dab is empty, so a click must set its pixel; it does so in mix mode too.
        image.setPixel(x, y, m_state.CurrentColor);
        changed = QRect(x, y, 1, 1);
    }
    changed |= paintDab();
    reportChanged(changed);
}

void ToolPencil::MouseMove(int x, int y)
{
    m_current = QPoint(x, y);
    Tick();
}

void ToolPencil::MouseUp(int, int)
{
    Active = false;
    resetImageDrawing();
}

void ToolPencil::Tick()
{
    if (!Active) {
        return;
    }
    RasterImage& image = *m_state.ActiveImage;
    QRect changed;
    if (!m_state.PenSpray) {
        Pen& pen = image.pen();
        pen.mode = m_state.OpaquePaint ? PenMode::Copy : PenMode::Mask;
        pen.style = PenStyle::Solid;
        const QPoint from = image.penPos();
        // A line leaves out its end point, so a line to where the pen already is paints
        // nothing, whatever its width: a tick while the pointer rests adds only the dab.
        if (from != m_current) {
            image.lineTo(m_current.x(), m_current.y());
            changed = lineReach(from, m_current, pen.width);
        }
    }
    changed |= paintDab();
    reportChanged(changed);
}

QRect ToolPencil::paintDab()
{
    fillPatterns();
    RasterImage& image = *m_state.ActiveImage;
    const int r = dabHalfSize(m_state.PenSize, m_state.PenSpray);
    const int left = m_current.x() - r;
    const int top = m_current.y() - r;
    const int right = m_current.x() + r;
    const int bottom = m_current.y() + r;
    auto shape = [&] {
        if (m_state.PenSquare) {
            image.rectangle(left, top, right, bottom);
        } else {
            image.ellipse(left, top, right, bottom);
        }
    };
    image.pen().style = PenStyle::Clear;
    if (m_state.OpaquePaint) {
        // Whiten the pixels to paint, so that the AND below leaves exactly the colour there.
        image.brush().pattern = m_maskPattern.image();
        image.pen().mode = PenMode::Merge;
        shape();
    }
    image.brush().pattern = m_colorPattern.image();
    image.pen().mode = PenMode::Mask;
    shape();
    return boxRect(left, top, right, bottom);
}

// Solid pen: the colour everywhere. Spray pen: about one pixel in ten, new at every dab. White
// in the colour pattern and black in the mask pattern leave the image's pixel as it is.
void ToolPencil::fillPatterns()
{
    const QRgb paint = m_colorPattern.resolve(m_state.CurrentColor);
    const bool spray = m_state.PenSpray;
    for (int y = 0; y < 8; ++y) {
        QRgb* color = m_colorPattern.scanLine(y);
        QRgb* mask = m_maskPattern.scanLine(y);
        for (int x = 0; x < 8; ++x) {
            const bool painted = !spray || m_random.generateDouble() > SprayGap;
            color[x] = painted ? paint : WhitePixel;
            mask[x] = painted ? WhitePixel : BlackPixel;
        }
    }
}

void ToolPencil::resetImageDrawing()
{
    RasterImage& image = *m_state.ActiveImage;
    image.brush().pattern = QImage();
    image.pen().width = 1;
    image.brush().color = colorref::White;
}

void ToolPencil::reportChanged(const QRect& area)
{
    const QRect inside = area & m_state.ActiveImage->clipRect();
    if (!inside.isEmpty()) {
        m_host.imageChanged(inside);
    }
}
