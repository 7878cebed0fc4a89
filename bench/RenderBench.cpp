// The renderer over a full picture against the floor of one memcpy per output row.

#include "Benchmarks.h"
#include "render/RasterImage.h"
#include "render/StereogramRenderer.h"

#include <QRandomGenerator>

#include <cstring>

namespace {

constexpr int DepthWidth = 4000;
constexpr int DepthHeight = 3000;
constexpr int StripWidth = 200;

RasterImage makeStrip()
{
    QRandomGenerator random(7);
    RasterImage strip(StripWidth, DepthHeight);
    for (int y = 0; y < DepthHeight; ++y) {
        QRgb* row = strip.scanLine(y);
        for (int x = 0; x < StripWidth; ++x) {
            row[x] = 0xFF000000 | random.bounded(0x1000000u);
        }
    }
    return strip;
}

// Ground at the new-depth-map grey with raised discs and boxes of several heights: long flat
// runs broken by steep edges, where the fallback path is taken.
RasterImage makeShapes()
{
    RasterImage depth;
    depth.brush().color = colorref::grey(58);
    depth.setSize(DepthWidth, DepthHeight);
    depth.pen().style = PenStyle::Clear;
    QRandomGenerator random(11);
    for (int i = 0; i < 60; ++i) {
        depth.brush().color = colorref::grey(int(random.bounded(60, 255)));
        const int x = int(random.bounded(DepthWidth - 400));
        const int y = int(random.bounded(DepthHeight - 400));
        const int size = int(random.bounded(80, 400));
        if (i % 2 == 0) {
            depth.ellipse(x, y, x + size, y + size);
        } else {
            depth.rectangle(x, y, x + size, y + size * 2 / 3);
        }
    }
    return depth;
}

RasterImage makeNoise()
{
    QRandomGenerator random(13);
    RasterImage depth(DepthWidth, DepthHeight);
    for (int y = 0; y < DepthHeight; ++y) {
        QRgb* row = depth.scanLine(y);
        for (int x = 0; x < DepthWidth; ++x) {
            const unsigned grey = random.bounded(256u);
            row[x] = qRgb(int(grey), int(grey), int(grey));
        }
    }
    return depth;
}

const RasterImage& strip()
{
    static const RasterImage image = makeStrip();
    return image;
}

void renderAll(benchmark::State& state, const RasterImage& depth)
{
    RasterImage output;
    StereogramRenderer renderer(output);
    for (auto _ : state) {
        renderer.PrepareOutput(strip(), depth);
        while (renderer.RenderRow(StripWidth, DepthHeight) != StereogramRenderer::EndMark) {
        }
        benchmark::DoNotOptimize(output.constScanLine(DepthHeight - 1));
    }
}

void renderRowsShapes(benchmark::State& state)
{
    static const RasterImage depth = makeShapes();
    renderAll(state, depth);
}

void renderRowsNoise(benchmark::State& state)
{
    static const RasterImage depth = makeNoise();
    renderAll(state, depth);
}

// The floor: one pass over an output-sized picture, a memcpy per row into another.
void copyRows(benchmark::State& state)
{
    RasterImage source(StripWidth + DepthWidth, DepthHeight);
    RasterImage dest(StripWidth + DepthWidth, DepthHeight);
    const size_t bytes = size_t(source.width()) * sizeof(QRgb);
    for (auto _ : state) {
        for (int y = 0; y < DepthHeight; ++y) {
            std::memcpy(dest.scanLine(y), source.constScanLine(y), bytes);
        }
        benchmark::DoNotOptimize(dest.constScanLine(DepthHeight - 1));
        benchmark::ClobberMemory();
    }
}

} // namespace

std::vector<RatioTarget> renderTargets()
{
    return {
        {"render_rows/shapes", "copy_rows", 3.0},
        {"render_rows/noise", "copy_rows", 4.0},
    };
}

void registerRenderBenchmarks()
{
    for (auto* b : {benchmark::RegisterBenchmark("copy_rows", copyRows),
                    benchmark::RegisterBenchmark("render_rows/shapes", renderRowsShapes),
                    benchmark::RegisterBenchmark("render_rows/noise", renderRowsNoise)}) {
        b->Unit(benchmark::kMillisecond)->Repetitions(5)->MinTime(0.3);
    }
}
