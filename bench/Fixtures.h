#pragma once

#include "raster/RasterImage.h"

// The pictures the benchmarks share, made once on first use.
namespace fixtures {

inline constexpr int DepthWidth = 4000;
inline constexpr int DepthHeight = 3000;
inline constexpr int StripWidth = 200;

// Random colours, StripWidth x DepthHeight.
const RasterImage& patternStrip();
// Ground at the new-depth-map grey with raised discs and boxes of several heights: long flat
// runs broken by steep edges.
const RasterImage& shapesDepthMap();
// Random greys 0..255 everywhere: no runs at all, and a branch at every pixel.
const RasterImage& noiseDepthMap();

} // namespace fixtures
