// Height-map files against the floor of the same picture as a 24-bit Windows bitmap.

#include "Benchmarks.h"
#include "Fixtures.h"
#include "document/THeightMapFile.h"

#include <QImage>
#include <QTemporaryDir>

namespace {

QString benchFile(const char* name)
{
    static QTemporaryDir dir;
    return dir.filePath(QString::fromLatin1(name));
}

void bkpSave(benchmark::State& state, const RasterImage& depth, const char* name)
{
    THeightMapFile file;
    for (auto _ : state) {
        if (!file.save(benchFile(name), depth)) {
            state.SkipWithError("save failed");
            break;
        }
    }
}

void bkpLoad(benchmark::State& state, const RasterImage& depth, const char* name)
{
    if (!THeightMapFile().save(benchFile(name), depth)) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        THeightMapFile file;
        if (!file.load(benchFile(name))) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(file.picture().constScanLine(0));
    }
}

void bmpSave(benchmark::State& state)
{
    const QImage& picture = fixtures::shapesDepthMap().image();
    for (auto _ : state) {
        if (!picture.save(benchFile("shapes.bmp"), "BMP")) {
            state.SkipWithError("save failed");
            break;
        }
    }
}

void bmpLoad(benchmark::State& state)
{
    if (!fixtures::shapesDepthMap().image().save(benchFile("shapes.bmp"), "BMP")) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        QImage picture(benchFile("shapes.bmp"), "BMP");
        benchmark::DoNotOptimize(picture.constBits());
    }
}

} // namespace

std::vector<RatioTarget> fileTargets()
{
    return {
        {"bkp_save/shapes", "bmp_save/shapes", 0.5},
        {"bkp_load/shapes", "bmp_load/shapes", 0.5},
        {"bkp_save/noise", "bmp_save/shapes", 1.0},
        {"bkp_load/noise", "bmp_load/shapes", 1.0},
    };
}

void registerFileBenchmarks()
{
    const RasterImage& shapes = fixtures::shapesDepthMap();
    const RasterImage& noise = fixtures::noiseDepthMap();
    for (auto* b : {
             benchmark::RegisterBenchmark("bmp_save/shapes", bmpSave),
             benchmark::RegisterBenchmark("bmp_load/shapes", bmpLoad),
             benchmark::RegisterBenchmark("bkp_save/shapes", bkpSave, shapes, "shapes.bkp"),
             benchmark::RegisterBenchmark("bkp_load/shapes", bkpLoad, shapes, "shapes.bkp"),
             benchmark::RegisterBenchmark("bkp_save/noise", bkpSave, noise, "noise.bkp"),
             benchmark::RegisterBenchmark("bkp_load/noise", bkpLoad, noise, "noise.bkp"),
         }) {
        b->Unit(benchmark::kMillisecond)->Repetitions(3)->MinTime(0.3);
    }
}
