#pragma once

#include <QImage>
#include <QPoint>

struct DrawingState;

// The pen style picker without its window: the picture of the pens and what a release on it
// chooses.
//
// The picture is a grid of 20 x 20 cells, 4 columns (the sizes 0..3) by 5 rows: round pens,
// square pens, round spray pens, square spray pens and an empty row.
namespace penstyle {

inline constexpr int CellSize = 20;
inline constexpr int PictureWidth = 80;
inline constexpr int PictureHeight = 100;

// The fixed picture, drawn once.
QImage picture();

// A release at picture point (x, y), which may lie outside the picture: sets PenSpray from the
// row, PenSize from the column when it is one of the four, PenSquare from the row's parity when
// the row is not negative. Cells are counted with truncation toward zero, so x = -5 is column 0
// and y = -25 row -1. Returns the new top-left corner of the frame around that cell, in the
// coordinates of the panel that holds the picture 2 pixels in.
QPoint pick(int x, int y, DrawingState& state);

} // namespace penstyle
