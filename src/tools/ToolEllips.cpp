#include "tools/ToolEllips.h"

#include "tools/DrawingState.h"

ToolEllips::ToolEllips(DrawingState& state, ToolHost& host)
    : ToolLine(state, host, ToolHost::OptionPanel::Ellipse)
{}

void ToolEllips::drawShape(RasterImage& image, int x, int y)
{
    image.ellipse(m_startX, m_startY, x, y);
}

void ToolEllips::setUpBrush(RasterImage& image)
{
    setUpShapeBrush(image);
}
