#include "tools/ToolAver.h"

#include "tools/ToolHost.h"

ToolAver::ToolAver(DrawingState& state, ToolHost& host) : TOneTool(state, host)
{
    m_host.setTimerPeriod(50);
}

ToolAver::~ToolAver()
{
    m_host.setTimerPeriod(10000);
}
