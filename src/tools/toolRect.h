#pragma once

#include "tools/ToolLine.h"

// Rectangles, hollow or solid, dragged out with a rubber band between two corners; the box is
// right- and bottom-exclusive, and the outline of a wide pen grows inwards.
class toolRect final : public ToolLine
{
public:
    toolRect(DrawingState& state, ToolHost& host);

protected:
    void drawShape(RasterImage& image, int x, int y) override;
    void setUpBrush(RasterImage& image) override;
    QRect brushOnlyArea(const RasterImage& image, int x, int y) const override;
};
