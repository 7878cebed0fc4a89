#pragma once

#include "tools/ToolLine.h"

// Rectangles, hollow or solid, dragged out with a rubber band.
class toolRect final : public ToolLine
{
public:
    toolRect(DrawingState& state, ToolHost& host);
};
