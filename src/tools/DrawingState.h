#pragma once

#include "raster/ColorRef.h"

#include <cstdint>

class RasterImage;

// What the palettes, the pen picker and the option panel set and the tools read. The main
// window owns one; tests make their own.
struct DrawingState
{
    // The image the tools draw on: the pattern strip or the depth map. Never null once the main
    // window has been activated.
    RasterImage* ActiveImage = nullptr;
    bool DepthMapActive = false;

    // After a pick-up outside the image this is the invalid colour, which every tool paints as
    // black, as any write of it gives.
    ColorRef CurrentColor = colorref::Black;
    // Opaque paint replaces pixels with the colour; mix paint (the default) ANDs the colour into
    // each pixel, channel by channel.
    bool OpaquePaint = false;

    std::uint8_t PenSize = 0; // 0..3
    bool PenSquare = false;
    bool PenSpray = false;

    std::uint8_t ShapeLineWidth = 1;
    bool ShapeSolid = false;

    // Chosen at start-up from the display's colour depth; the View menu changes it.
    bool UseHighColorPalette = true;
};

// The palette window that belongs to the active image: heights for the depth map, otherwise the
// high-colour picker or the 20-colour palette.
enum class PaletteWindow
{
    Height,
    HighColor,
    Color20
};

inline PaletteWindow currentPaletteWindow(const DrawingState& state)
{
    if (state.DepthMapActive) {
        return PaletteWindow::Height;
    }
    return state.UseHighColorPalette ? PaletteWindow::HighColor : PaletteWindow::Color20;
}
