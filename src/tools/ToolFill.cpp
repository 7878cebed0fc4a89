#include "tools/ToolFill.h"

#include "tools/ToolHost.h"

ToolFill::ToolFill(DrawingState& state, ToolHost& host) : TOneTool(state, host)
{
    m_host.ShowCurrentPalette();
    m_host.setPaintModeButtonsVisible(false);
}

ToolFill::~ToolFill()
{
    m_host.setPaintModeButtonsVisible(true);
    m_host.HidePalettes();
}
