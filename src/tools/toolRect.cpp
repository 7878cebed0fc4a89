#include "tools/toolRect.h"

#include "tools/DrawingState.h"

toolRect::toolRect(DrawingState& state, ToolHost& host)
    : ToolLine(state, host, ToolHost::OptionPanel::Rectangle)
{}

void toolRect::drawShape(RasterImage& image, int x, int y)
{
    image.rectangle(m_startX, m_startY, x, y);
}

void toolRect::setUpBrush(RasterImage& image)
{
    setUpShapeBrush(image);
}

// Copy and mask paint a pixel the same however often they paint it; the brush and mode stay as
// the press set them for the whole drag.
QRect toolRect::brushOnlyArea(const RasterImage& image, int x, int y) const
{
    const PenMode mode = image.pen().mode;
    if (mode != PenMode::Copy && mode != PenMode::Mask) {
        return {};
    }
    return image.rectangleFill(m_startX, m_startY, x, y);
}
