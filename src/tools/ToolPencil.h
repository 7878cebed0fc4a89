#pragma once

#include "tools/TOneTool.h"

#include <QPoint>
#include <QRandomGenerator>

#include <optional>

// The pencil and spray can: strokes in the current colour with the picked pen. A solid pen
// draws line segments of its width from point to point with a dab at every point; a spray pen
// lays only dabs, one per movement and one per timer tick, so it keeps spraying while the
// pointer rests. Every dab fills its shape through an 8 x 8 pattern aligned to the image origin.
class ToolPencil final : public TOneTool
{
public:
    ToolPencil(DrawingState& state, ToolHost& host);
    ~ToolPencil() override;

    void MouseDown(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseUp(int x, int y) override;
    void Tick() override;

    // From now on every spray stroke starts its random numbers from `seed` instead of the
    // clock, so that a spray pattern can be repeated.
    void setSpraySeed(quint32 seed) { m_spraySeed = seed; }

    // Width of the solid pen's line and half the side of the dab's box, by pen size 0..3.
    static int lineWidth(int penSize);
    static int dabHalfSize(int penSize, bool spray);

private:
    // Paints a dab at the current point; returns the box it may have changed.
    QRect paintDab();
    void fillPatterns();
    // Takes the stroke's pattern, wide pen and brush colour off the active image.
    void resetImageDrawing();
    void reportChanged(const QRect& area);

    QPoint m_current;
    RasterImage m_colorPattern{8, 8};
    RasterImage m_maskPattern{8, 8};
    QRandomGenerator m_random;
    std::optional<quint32> m_spraySeed;
};
