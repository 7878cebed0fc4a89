#include "tools/ToolFill.h"

#include "tools/DrawingState.h"
#include "tools/ToolHost.h"

ToolFill::ToolFill(DrawingState& state, ToolHost& host) : TOneTool(state, host)
{
    m_host.ShowCurrentPalette();
    m_host.setPaintModeButtonsVisible(false);
    m_host.setPointerShape(ToolHost::PointerShape::Cross);
}

ToolFill::~ToolFill()
{
    m_host.setPaintModeButtonsVisible(true);
    m_host.HidePalettes();
}

void ToolFill::MouseDown(int x, int y)
{
    SaveUndo();
    RasterImage& image = *m_state.ActiveImage;
    image.brush() = Brush{m_state.CurrentColor, BrushStyle::Solid, {}};
    image.pen().color = m_state.CurrentColor;
    image.pen().style = PenStyle::Clear;
    image.floodFill(x, y, image.pixel(x, y), FloodFillMode::Surface);
    m_host.imageChanged(image.clipRect());
}
