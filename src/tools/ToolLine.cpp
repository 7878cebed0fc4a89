#include "tools/ToolLine.h"

ToolLine::ToolLine(DrawingState& state, ToolHost& host)
    : ToolLine(state, host, ToolHost::OptionPanel::Widths)
{}

ToolLine::ToolLine(DrawingState& state, ToolHost& host, ToolHost::OptionPanel panel)
    : TOneTool(state, host)
{
    m_host.ShowCurrentPalette();
    m_host.showOptionPanel(panel);
}

ToolLine::~ToolLine()
{
    m_host.HidePalettes();
    m_host.hideOptionPanel();
}
