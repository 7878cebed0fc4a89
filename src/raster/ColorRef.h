#pragma once

#include <QRgb>

#include <cstdint>

// A colour as the editor's files and tools pass it around: red in the low byte, then green and
// blue, and a kind byte on top. Pixels themselves are stored as QRgb (0xFFRRGGBB); the
// functions below convert between the two.
using ColorRef = std::uint32_t;

namespace colorref {

// The kind byte (bits 24-31).
inline constexpr ColorRef KindRgb = 0x00000000;
inline constexpr ColorRef KindPaletteIndex = 0x01000000;
inline constexpr ColorRef KindPaletteRgb = 0x02000000;
inline constexpr ColorRef KindSystem = 0xFF000000;

// What a pixel read outside a raster gives. Written to a pixel it gives black.
inline constexpr ColorRef Invalid = 0xFFFFFFFF;

inline constexpr ColorRef Black = 0x000000;
inline constexpr ColorRef White = 0xFFFFFF;

constexpr ColorRef rgb(int r, int g, int b)
{
    return ColorRef(r & 0xFF) | (ColorRef(g & 0xFF) << 8) | (ColorRef(b & 0xFF) << 16);
}

constexpr ColorRef grey(int level)
{
    return rgb(level, level, level);
}

// A grey with the palette-RGB flag, as the height palette hands out heights.
constexpr ColorRef paletteGrey(int level)
{
    return KindPaletteRgb | grey(level);
}

constexpr ColorRef paletteIndex(int index)
{
    return KindPaletteIndex | ColorRef(index & 0xFFFF);
}

constexpr ColorRef kind(ColorRef c)
{
    return c & 0xFF000000;
}

// The red byte as the depth readers take it: the value modulo 256 as a signed remainder, so
// the invalid colour gives -1 and every plain, palette-RGB or palette-index colour 0..255.
constexpr int redByte(ColorRef c)
{
    return static_cast<std::int32_t>(c) % 256;
}

// A stored pixel as a plain RGB colour.
constexpr ColorRef fromRgb(QRgb p)
{
    return ColorRef((p >> 16) & 0xFF) | (ColorRef(p) & 0xFF00) | (ColorRef(p & 0xFF) << 16);
}

// The pixel that `c` paints when written as it stands, ignoring any palette of the surface:
// plain and palette-RGB colours paint their RGB bytes, palette indices go through the 20
// reserved colours, system colours through the system colour table (unknown ones, and so the
// invalid colour, paint black). Always opaque.
QRgb toRgb(ColorRef c);

// The 20 reserved colours that a surface without a palette of its own resolves indices with.
QRgb reservedColor(int index);

} // namespace colorref
