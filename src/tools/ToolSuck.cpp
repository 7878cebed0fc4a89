#include "tools/ToolSuck.h"

#include "tools/ToolHost.h"

ToolSuck::ToolSuck(DrawingState& state, ToolHost& host) : TOneTool(state, host)
{
    m_host.ShowCurrentPalette();
}

ToolSuck::~ToolSuck()
{
    m_host.HidePalettes();
}
