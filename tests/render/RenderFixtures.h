#pragma once

#include "raster/ColorRef.h"
#include "raster/RasterImage.h"

// A picture of one colour.
inline RasterImage filled(int width, int height, ColorRef color)
{
    RasterImage image;
    image.brush().color = color;
    image.setSize(width, height);
    return image;
}

// A colourful strip whose every pixel differs from its neighbours, so a wrong source shows.
inline RasterImage patternStrip(int width, int height)
{
    RasterImage strip(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            strip.setPixel(x, y, colorref::rgb(x * 7 + 3, y * 5 + 1, (x * y) % 251));
        }
    }
    return strip;
}
