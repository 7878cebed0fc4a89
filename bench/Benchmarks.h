#pragma once

#include "RatioReporter.h"

#include <vector>

// Each benchmark file registers its benchmarks and names its ratio targets.
void registerRenderBenchmarks();
std::vector<RatioTarget> renderTargets();
void registerFileBenchmarks();
std::vector<RatioTarget> fileTargets();
// The batch command with its files, against reading, touching and writing as much.
void registerBatchBenchmarks();
std::vector<RatioTarget> batchTargets();
// The output window under a Qt event loop; needs the QApplication that main creates.
void registerWindowBenchmarks();
std::vector<RatioTarget> windowTargets();
void registerToolBenchmarks();
std::vector<RatioTarget> toolTargets();
void registerStartupBenchmarks();
std::vector<RatioTarget> startupTargets();
void registerShapeBenchmarks();
std::vector<RatioTarget> shapeTargets();
// The live preview window under the event loop; needs the QApplication too.
void registerLiveBenchmarks();
std::vector<RatioTarget> liveTargets();
// A pencil stroke through the main window, magnified; needs the QApplication too.
void registerZoomBenchmarks();
std::vector<RatioTarget> zoomTargets();
// Reading a 3D picture back, against rendering one of its size.
void registerDecodeBenchmarks();
std::vector<RatioTarget> decodeTargets();
