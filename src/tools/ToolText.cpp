#include "tools/ToolText.h"

#include "tools/ToolHost.h"

ToolText::ToolText(DrawingState& state, ToolHost& host) : TOneTool(state, host)
{
    m_host.ShowCurrentPalette();
    m_host.setTextMenuVisible(true);
    m_host.setTimerPeriod(500);
}

ToolText::~ToolText()
{
    m_host.HidePalettes();
    m_host.setTextMenuVisible(false);
    m_host.setTimerPeriod(10000);
}
