#pragma once

#include <QRgb>

// Shared by the files that define RasterImage; no other file includes this.

// The alpha byte of every pixel of a picture: the combinations that can clear it (XOR, NOT) set
// it again, so a picture stays opaque whatever is drawn on it.
constexpr QRgb OpaqueBits = 0xFF000000;
