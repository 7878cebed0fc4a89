#pragma once

#include "tools/TOneTool.h"

// Flood-fills the 4-connected region of exactly the clicked pixel's colour with the current
// colour. The fill always replaces, whatever the paint mode, so the paint-mode buttons are
// hidden while it is current.
class ToolFill final : public TOneTool
{
public:
    ToolFill(DrawingState& state, ToolHost& host);
    ~ToolFill() override;

    void MouseDown(int x, int y) override;
};
