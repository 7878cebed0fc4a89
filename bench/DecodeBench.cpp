// Reading a 3D picture back into its depth map, against rendering the finer picture of the same
// size.

#include "Benchmarks.h"
#include "raster/RasterImage.h"
#include "render/DecodeFixtures.h"
#include "render/DepthDecoder.h"
#include "render/FineRenderer.h"

namespace {

constexpr int Width = 1000;
constexpr int Height = 800;

const RasterImage& strip()
{
    static const RasterImage image = FineRenderer::randomStrip(Height, 3);
    return image;
}

const RasterImage& depth()
{
    static const RasterImage image = decodefixtures::shapes(Width, Height);
    return image;
}

void renderFine(benchmark::State& state)
{
    RasterImage output;
    for (auto _ : state) {
        FineRenderer::render(strip(), depth(), FineRenderer::Options{}, output);
        benchmark::DoNotOptimize(output.constScanLine(Height - 1));
    }
}

// The whole command's work on the picture: finding the strip width, then the depth map.
void decode(benchmark::State& state)
{
    const QImage picture = FineRenderer::render(strip(), depth(), FineRenderer::Options{}).image();
    for (auto _ : state) {
        DepthDecoder::Result result;
        QString why;
        if (!DepthDecoder::decode(picture, 0, &result, &why)) {
            state.SkipWithError(qPrintable(why));
        }
        benchmark::DoNotOptimize(result.depthMap.constScanLine(Height - 1));
    }
}

} // namespace

std::vector<RatioTarget> decodeTargets()
{
    return {{"decode/1000x800", "render_fine/shapes/1000x800", 4.0}};
}

void registerDecodeBenchmarks()
{
    for (auto* b : {benchmark::RegisterBenchmark("render_fine/shapes/1000x800", renderFine),
                    benchmark::RegisterBenchmark("decode/1000x800", decode)}) {
        b->Unit(benchmark::kMillisecond)->Repetitions(5)->MinTime(0.3);
    }
}
