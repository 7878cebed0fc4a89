#pragma once

#include "tools/TOneTool.h"

// Smooths the depth map under the pointer.
class ToolAver final : public TOneTool
{
public:
    ToolAver(DrawingState& state, ToolHost& host);
    ~ToolAver() override;
};
