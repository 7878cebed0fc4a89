#include "raster/ColorRef.h"

#include <array>

namespace colorref {
namespace {

constexpr QRgb opaque(int r, int g, int b)
{
    return qRgb(r, g, b);
}

// Indices 0-9 are the first ten static entries of the system palette, 10-19 the last ten.
constexpr std::array<QRgb, 20> reserved = {
    opaque(0, 0, 0),       opaque(128, 0, 0),     opaque(0, 128, 0),     opaque(128, 128, 0),
    opaque(0, 0, 128),     opaque(128, 0, 128),   opaque(0, 128, 128),   opaque(192, 192, 192),
    opaque(192, 220, 192), opaque(166, 202, 240), opaque(255, 251, 240), opaque(160, 160, 164),
    opaque(128, 128, 128), opaque(255, 0, 0),     opaque(0, 255, 0),     opaque(255, 255, 0),
    opaque(0, 0, 255),     opaque(255, 0, 255),   opaque(0, 255, 255),   opaque(255, 255, 255),
};

// The classic desktop scheme, by system colour index (scroll bar, desktop, active caption,
// ..., menu bar). The window designs name a few of these (button face, button shadow).
constexpr std::array<QRgb, 31> systemColors = {
    opaque(192, 192, 192), opaque(0, 128, 128),   opaque(0, 0, 128),     opaque(128, 128, 128),
    opaque(192, 192, 192), opaque(255, 255, 255), opaque(0, 0, 0),       opaque(0, 0, 0),
    opaque(0, 0, 0),       opaque(255, 255, 255), opaque(192, 192, 192), opaque(192, 192, 192),
    opaque(128, 128, 128), opaque(0, 0, 128),     opaque(255, 255, 255), opaque(192, 192, 192),
    opaque(128, 128, 128), opaque(128, 128, 128), opaque(0, 0, 0),       opaque(192, 192, 192),
    opaque(255, 255, 255), opaque(0, 0, 0),       opaque(223, 223, 223), opaque(0, 0, 0),
    opaque(255, 255, 225), opaque(0, 0, 0),       opaque(0, 0, 255),     opaque(16, 132, 208),
    opaque(181, 181, 181), opaque(0, 0, 128),     opaque(192, 192, 192),
};

} // namespace

QRgb reservedColor(int index)
{
    if (index < 0 || index >= int(reserved.size())) {
        return reserved[0];
    }
    return reserved[index];
}

QRgb toRgb(ColorRef c)
{
    switch (kind(c)) {
    case KindRgb:
    case KindPaletteRgb:
        return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    case KindPaletteIndex:
        return reservedColor(int(c & 0xFFFF));
    case KindSystem: {
        const unsigned index = c & 0xFF;
        // The invalid colour is system colour 255, which no table holds.
        return index < systemColors.size() ? systemColors[index] : qRgb(0, 0, 0);
    }
    default:
        return qRgb(0, 0, 0);
    }
}

} // namespace colorref
