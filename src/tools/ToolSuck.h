#pragma once

#include "tools/TOneTool.h"

// Picks up a colour from either image into the current palette.
class ToolSuck final : public TOneTool
{
public:
    ToolSuck(DrawingState& state, ToolHost& host);
    ~ToolSuck() override;
};
