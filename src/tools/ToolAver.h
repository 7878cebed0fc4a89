#pragma once

#include "tools/TOneTool.h"

#include <QRect>

// Smooths the depth map under the pointer: while a button is held, every timer tick replaces
// the 30 x 30 area around the pointer by a weighted average of itself. Only the inner 26 x 26
// pixels change; they become greys taken from the red bytes.
class ToolAver final : public TOneTool
{
public:
    static constexpr int AreaSize = 30;
    // The kernel reaches two pixels out, so this many pixels at each side of the area keep
    // their values.
    static constexpr int Border = 2;

    ToolAver(DrawingState& state, ToolHost& host);
    ~ToolAver() override;

    void MouseDown(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseUp(int x, int y) override;
    void Tick() override;

private:
    void smooth();

    // A private copy of the area: every sum reads it, never a pixel already smoothed.
    RasterImage m_source{AreaSize, AreaSize};
    RasterImage m_result{AreaSize, AreaSize};
    QRect m_area;
};
