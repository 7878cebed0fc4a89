#include "tools/ToolSuck.h"

#include "tools/DrawingState.h"
#include "tools/ToolHost.h"

ToolSuck::ToolSuck(DrawingState& state, ToolHost& host) : TOneTool(state, host)
{
    m_host.ShowCurrentPalette();
    m_host.setPointerShape(ToolHost::PointerShape::PickUp);
}

ToolSuck::~ToolSuck()
{
    m_host.HidePalettes();
}

void ToolSuck::MouseDown(int x, int y)
{
    m_picking = true;
    MouseMove(x, y);
}

void ToolSuck::MouseMove(int x, int y)
{
    if (!m_picking) {
        return;
    }
    // A plain RGB colour: the palette flag of a height is not read back from the pixel.
    m_state.CurrentColor = m_state.ActiveImage->pixel(x, y);
    m_host.RefreshCurrentPalette();
}

void ToolSuck::MouseUp(int x, int y)
{
    MouseMove(x, y);
    m_picking = false;
}
