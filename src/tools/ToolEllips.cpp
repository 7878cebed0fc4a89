#include "tools/ToolEllips.h"

ToolEllips::ToolEllips(DrawingState& state, ToolHost& host)
    : ToolLine(state, host, ToolHost::OptionPanel::WidthsAndFill)
{}
