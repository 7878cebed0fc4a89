#pragma once

#include "tools/TOneTool.h"

// Picks up a colour from the active image into the current colour, on the press and on every
// move until the release, and has the palette window shown follow it. Outside the image the
// pick is the invalid colour, which paints black like any write of it. Takes no snapshot.
class ToolSuck final : public TOneTool
{
public:
    ToolSuck(DrawingState& state, ToolHost& host);
    ~ToolSuck() override;

    void MouseDown(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseUp(int x, int y) override;

private:
    bool m_picking = false; // from the press to the release
};
