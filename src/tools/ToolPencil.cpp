#include "tools/ToolPencil.h"

#include "tools/ToolHost.h"

ToolPencil::ToolPencil(DrawingState& state, ToolHost& host) : TOneTool(state, host)
{
    m_host.ShowCurrentPalette();
    m_host.setPenStylePickerVisible(true);
    m_host.setTimerPeriod(50);
}

ToolPencil::~ToolPencil()
{
    m_host.HidePalettes();
    m_host.setPenStylePickerVisible(false);
    m_host.setTimerPeriod(1000);
}
