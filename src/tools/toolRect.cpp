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
