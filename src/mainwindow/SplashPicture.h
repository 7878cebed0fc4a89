#pragma once

#include <QImage>
#include <QSize>

// The picture on the splash window: a real single-image stereogram, a strip of coloured dots
// repeated across it, hiding a raised disc with a ring on top. Always the same picture.
namespace splashpicture {

// The size the splash window shows it at.
inline constexpr QSize Size(288, 166);

// The picture `size` pixels large, drawn.
QImage draw(const QSize& size);

// The picture at Size as the build drew it: raw rows built into the program, copied out in a
// fraction of the time drawing takes. Null in a program built without them.
QImage built();

// The built picture, or the drawn one where there is none.
QImage picture();

} // namespace splashpicture
