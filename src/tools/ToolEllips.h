#pragma once

#include "tools/ToolLine.h"

// Ellipses, hollow or solid, dragged out with a rubber band.
class ToolEllips final : public ToolLine
{
public:
    ToolEllips(DrawingState& state, ToolHost& host);
};
