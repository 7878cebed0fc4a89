#pragma once

#include "tools/TOneTool.h"

// The pencil and spray can: strokes in the current colour with the picked pen.
class ToolPencil final : public TOneTool
{
public:
    ToolPencil(DrawingState& state, ToolHost& host);
    ~ToolPencil() override;
};
