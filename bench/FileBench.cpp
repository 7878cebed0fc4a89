// Height-map files against the floor of the same picture as a 24-bit Windows bitmap, and the
// recovery copy against the height-map file it mostly is.

#include "Benchmarks.h"
#include "Fixtures.h"
#include "document/RecoveryStore.h"
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

// A recovery copy of the 4000 x 3000 map and its 200 x 3000 strip, asked of the store and
// waited for. The editor's own thread only hands it over; this is what the store's thread does.
void recoveryWrite(benchmark::State& state)
{
    static QTemporaryDir dir;
    RecoveryStore store(dir.path());
    RecoveryCopy copy;
    copy.depth = fixtures::shapesDepthMap().image();
    copy.pattern = fixtures::patternStrip().image();
    for (auto _ : state) {
        store.keep(copy);
        if (!store.waitForWrites().isEmpty()) {
            state.SkipWithError("write failed");
            break;
        }
    }
    store.discard();
}

} // namespace

std::vector<RatioTarget> fileTargets()
{
    return {
        {"bkp_save/shapes", "bmp_save/shapes", 0.5},
        {"bkp_load/shapes", "bmp_load/shapes", 0.5},
        {"bkp_save/noise", "bmp_save/shapes", 1.0},
        {"bkp_load/noise", "bmp_load/shapes", 1.0},
        // The height-map file, plus a bitmap of the strip and a small manifest: three files each
        // synced to disk before it replaces the last, where the floor writes one. It has ten
        // seconds; the editor's thread only hands the copy over.
        {"recovery_write/4000x3000", "bkp_save/shapes", 5.0},
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
             benchmark::RegisterBenchmark("recovery_write/4000x3000", recoveryWrite),
         }) {
        b->Unit(benchmark::kMillisecond)->Repetitions(3)->MinTime(0.3);
    }
}
