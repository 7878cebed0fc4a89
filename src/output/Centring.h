#pragma once

#include <QPoint>
#include <QSize>

// Where a picture sits when centred in a window. Halves round to the even integer: a 401-pixel
// picture in a 1000-pixel area starts at 300.
namespace centring {

// (outer - inner) / 2, rounded to the nearest integer with ties to even. Negative when the
// inner size is the larger one: the overhang is then cut equally on both sides.
int centredOffset(int outer, int inner);

// Top-left corner of the picture's frame in the output window: centred in the client area
// above the button bar of `barHeight`, each coordinate raised to 0 when it would be negative,
// so a picture larger than the window keeps its top-left corner in view.
QPoint framePosition(QSize client, int barHeight, QSize picture);

} // namespace centring
