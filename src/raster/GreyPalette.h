#pragma once

#include <QList>
#include <QRgb>

#include <cstdint>

// A logical palette: the colours a picture asks a palette display to reserve for it. On a
// true-colour display (every display this program runs on in practice) a palette changes no
// pixel; it only decides what a palette-index colour means on the picture it is attached to.
struct PaletteEntry
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;

    QRgb rgb() const { return qRgb(red, green, blue); }
    bool operator==(const PaletteEntry&) const = default;
};

using LogicalPalette = QList<PaletteEntry>;

namespace greypalette {

// The entry takes a place of its own in the display's palette instead of being matched to a
// colour already there.
inline constexpr std::uint8_t NoCollapse = 4;

inline constexpr int Size = 200;
inline constexpr int FirstGrey = 55; // entry i is the grey 55 + i, so 55..254

// The 200 greys a depth map needs to show exactly on a 256-colour display.
LogicalPalette make();

} // namespace greypalette
