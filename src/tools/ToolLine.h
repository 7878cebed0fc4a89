#pragma once

#include "tools/TOneTool.h"
#include "tools/ToolHost.h"

// Draws a straight line with a rubber band. The rectangle and ellipse tools build on it.
class ToolLine : public TOneTool
{
public:
    ToolLine(DrawingState& state, ToolHost& host);
    ~ToolLine() override;

protected:
    // For the shapes: the option panel also offers hollow or solid.
    ToolLine(DrawingState& state, ToolHost& host, ToolHost::OptionPanel panel);
};
