#include "tools/toolRect.h"

toolRect::toolRect(DrawingState& state, ToolHost& host)
    : ToolLine(state, host, ToolHost::OptionPanel::WidthsAndFill)
{}
