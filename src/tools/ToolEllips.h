#pragma once

#include "tools/ToolLine.h"

// Ellipses, hollow or solid, inscribed in the box dragged out with a rubber band.
class ToolEllips final : public ToolLine
{
public:
    ToolEllips(DrawingState& state, ToolHost& host);

protected:
    void drawShape(RasterImage& image, int x, int y) override;
    void setUpBrush(RasterImage& image) override;
};
