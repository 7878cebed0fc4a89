#include "tools/ToolSelect.h"

ToolSelect::ToolSelect(DrawingState& state, ToolHost& host) : TOneTool(state, host) {}
