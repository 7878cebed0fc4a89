// The renderers over a full picture against the floor of one memcpy per output row.

#include "Benchmarks.h"
#include "Fixtures.h"
#include "raster/RasterImage.h"
#include "render/FineRenderer.h"
#include "render/StereogramRenderer.h"

#include <cstring>

namespace {

void renderAll(benchmark::State& state, const RasterImage& depth)
{
    RasterImage output;
    StereogramRenderer renderer(output);
    for (auto _ : state) {
        renderer.PrepareOutput(fixtures::patternStrip(), depth);
        while (renderer.RenderRow(fixtures::StripWidth, fixtures::DepthHeight) !=
               StereogramRenderer::EndMark) {
        }
        benchmark::DoNotOptimize(output.constScanLine(fixtures::DepthHeight - 1));
    }
}

void renderRowsShapes(benchmark::State& state)
{
    renderAll(state, fixtures::shapesDepthMap());
}

void renderRowsNoise(benchmark::State& state)
{
    renderAll(state, fixtures::noiseDepthMap());
}

// The finer renderer at its default oversampling, against the row renderer on the same map.
void renderFineShapes(benchmark::State& state)
{
    RasterImage output;
    for (auto _ : state) {
        FineRenderer::render(fixtures::patternStrip(), fixtures::shapesDepthMap(),
                             FineRenderer::Options{}, output);
        benchmark::DoNotOptimize(output.constScanLine(fixtures::DepthHeight - 1));
    }
}

// The floor: one pass over an output-sized picture, a memcpy per row into another.
void copyRows(benchmark::State& state)
{
    RasterImage source(fixtures::StripWidth + fixtures::DepthWidth, fixtures::DepthHeight);
    RasterImage dest(fixtures::StripWidth + fixtures::DepthWidth, fixtures::DepthHeight);
    const size_t bytes = size_t(source.width()) * sizeof(QRgb);
    for (auto _ : state) {
        for (int y = 0; y < fixtures::DepthHeight; ++y) {
            std::memcpy(dest.scanLine(y), source.constScanLine(y), bytes);
        }
        benchmark::DoNotOptimize(dest.constScanLine(fixtures::DepthHeight - 1));
        benchmark::ClobberMemory();
    }
}

} // namespace

std::vector<RatioTarget> renderTargets()
{
    return {
        {"render_rows/shapes", "copy_rows", 3.0},
        {"render_rows/noise", "copy_rows", 4.0},
        {"render_fine/shapes", "render_rows/shapes", 4.0},
    };
}

void registerRenderBenchmarks()
{
    for (auto* b : {benchmark::RegisterBenchmark("copy_rows", copyRows),
                    benchmark::RegisterBenchmark("render_rows/shapes", renderRowsShapes),
                    benchmark::RegisterBenchmark("render_rows/noise", renderRowsNoise),
                    benchmark::RegisterBenchmark("render_fine/shapes", renderFineShapes)}) {
        b->Unit(benchmark::kMillisecond)->Repetitions(5)->MinTime(0.3);
    }
}
