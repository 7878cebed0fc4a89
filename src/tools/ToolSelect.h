#pragma once

#include "tools/TOneTool.h"

// Selects a rectangle of the active image to move, cut, copy or paste.
class ToolSelect final : public TOneTool
{
public:
    ToolSelect(DrawingState& state, ToolHost& host);
};
