#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

// The program's pictures, drawn rather than shipped, so they exist at any size and need no
// files beside the program.

// The emblem: terraces of grey, lighter towards the middle as on a depth map, crossed by the
// coloured threads of a loom, with the program's name underneath.
QImage drawEmblem(const QSize& size);

// `font`, narrowed just enough for `text` to fit in `width` pixels on one line. The start-up
// windows are laid out for narrow fonts; where a wider one stands in, the text still fits.
QFont fittedFont(const QFont& font, const QString& text, int width);
