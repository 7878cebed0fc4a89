// The live 3D preview under the event loop, against the floor of one pass over a large picture
// (copy_rows, RenderBench.cpp): the time from a pencil dab on the depth map until the preview's
// picture is up to date, on a 1000 x 800 and on a 4000 x 3000 map; and on the large map the
// longest stretch for which the preview holds the event loop, which is how long a pointer
// event that paints may have to wait. That is measured after an undo, which makes every row
// stale and so takes the longest.

#include "Benchmarks.h"
#include "Fixtures.h"
#include "QuietHost.h"
#include "common/ScriptedPrompts.h"
#include "mainwindow/LivePreview.h"
#include "raster/RasterImage.h"
#include "tools/DrawingState.h"
#include "tools/ToolPencil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <ctime>

namespace {

qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

DrawingState paintingOn(RasterImage& depth)
{
    DrawingState drawing;
    drawing.ActiveImage = &depth;
    drawing.DepthMapActive = true;
    drawing.OpaquePaint = true;
    drawing.PenSize = 2;
    return drawing;
}

// The fixture's strip and shapes cut to size, with the preview shown and up to date. The dab goes
// a quarter down the map and half across it, where it changes a 9-pixel square.
struct Scene
{
    RasterImage strip;
    RasterImage depth;
    DrawingState drawing = paintingOn(depth);
    QuietHost host;
    ToolPencil pencil{drawing, host};
    ScriptedPrompts prompts;
    LivePreview preview{strip, depth, {}, prompts, nullptr};
    QPoint dab;
    int turn = 0;

    Scene(int width, int height, bool fine)
        : strip(fixtures::patternStrip().image().copy(0, 0, fixtures::StripWidth, height)),
          depth(fixtures::shapesDepthMap().image().copy(0, 0, width, height)),
          dab(width / 2, height / 4)
    {
        depth.setPalette(greypalette::make());
        host.changed = [this](const QRect& area) { preview.imageChanged(area); };
        LiveStereogram::Mode mode;
        mode.fine = fine;
        preview.setMode(mode);
        preview.show();
        waitUntilUpToDate();
    }

    // Each dab paints the other of two heights, so that every one changes the map.
    void paintDab()
    {
        drawing.CurrentColor = colorref::paletteGrey(turn ? 150 : 220);
        turn ^= 1;
        pencil.MouseDown(dab.x(), dab.y());
        pencil.MouseUp(dab.x(), dab.y());
    }

    // Runs the event loop until the preview is done; returns the longest turn of the loop in
    // thread CPU time and adds its wall time to `longestWallNs`.
    qint64 waitUntilUpToDate(qint64* longestWallNs = nullptr)
    {
        qint64 longestCpu = 0;
        while (!preview.stereogram().upToDate()) {
            QElapsedTimer wall;
            wall.start();
            const qint64 cpu = threadCpuNs();
            QCoreApplication::processEvents();
            longestCpu = std::max(longestCpu, threadCpuNs() - cpu);
            if (longestWallNs) {
                *longestWallNs = std::max(*longestWallNs, wall.nsecsElapsed());
            }
        }
        return longestCpu;
    }
};

// Before each dab the preview has been idle for longer than a frame, as between a user's dabs,
// so its pass starts at once.
void restBetweenDabs(benchmark::State& state)
{
    state.PauseTiming();
    QThread::msleep(20);
    state.ResumeTiming();
}

void dabUntilUpToDate(benchmark::State& state, int width, int height, bool fine)
{
    Scene scene(width, height, fine);
    const qint64 rowsBefore = scene.preview.stereogram().rowsRendered();
    for (auto _ : state) {
        restBetweenDabs(state);
        scene.paintDab();
        scene.waitUntilUpToDate();
    }
    state.counters["rows_per_dab"] =
        double(scene.preview.stereogram().rowsRendered() - rowsBefore) /
        double(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

void smallMap(benchmark::State& state)
{
    dabUntilUpToDate(state, 1000, 800, false);
}

void largeMap(benchmark::State& state)
{
    dabUntilUpToDate(state, fixtures::DepthWidth, fixtures::DepthHeight, false);
}

void smallMapFine(benchmark::State& state)
{
    dabUntilUpToDate(state, 1000, 800, true);
}

void largeMapFine(benchmark::State& state)
{
    dabUntilUpToDate(state, fixtures::DepthWidth, fixtures::DepthHeight, true);
}

// Each iteration's time is the longest turn of the event loop, in thread CPU time, while the
// preview catches up with a dab and its undo: time other processes took the core is not the
// preview's. The longest wall time of a turn, which does count them, is a counter.
void longestSlice(benchmark::State& state, bool fine)
{
    Scene scene(fixtures::DepthWidth, fixtures::DepthHeight, fine);
    qint64 longestWall = 0;
    qint64 longestCpu = 0;
    for (auto _ : state) {
        restBetweenDabs(state);
        scene.paintDab();
        scene.pencil.Undo();
        const qint64 cpu = scene.waitUntilUpToDate(&longestWall);
        longestCpu = std::max(longestCpu, cpu);
        state.SetIterationTime(double(cpu) / 1e9);
    }
    state.counters["max_slice_ms"] = double(longestCpu) / 1e6;
    state.counters["max_slice_wall_ms"] = double(longestWall) / 1e6;
}

void largeMapLongestSlice(benchmark::State& state)
{
    longestSlice(state, false);
}

// The same with the preview on the finer renderer.
void largeMapFineLongestSlice(benchmark::State& state)
{
    longestSlice(state, true);
}

} // namespace

std::vector<RatioTarget> liveTargets()
{
    return {
        {"live_preview/1000x800", "copy_rows", 3.0},
        {"live_preview/4000x3000/longest_slice", "copy_rows", 1.0},
        {"live_fine/1000x800", "copy_rows", 6.0},
        {"live_fine/4000x3000/longest_slice", "copy_rows", 1.0},
    };
}

void registerLiveBenchmarks()
{
    // A fixed count: every iteration also rests for a frame, which the time leaves out.
    for (auto* b : {benchmark::RegisterBenchmark("live_preview/1000x800", smallMap),
                    benchmark::RegisterBenchmark("live_preview/4000x3000", largeMap),
                    benchmark::RegisterBenchmark("live_fine/1000x800", smallMapFine),
                    benchmark::RegisterBenchmark("live_fine/4000x3000", largeMapFine)}) {
        b->Unit(benchmark::kMillisecond)->Repetitions(5)->Iterations(30);
    }
    for (auto* b : {benchmark::RegisterBenchmark("live_preview/4000x3000/longest_slice",
                                                 largeMapLongestSlice),
                    benchmark::RegisterBenchmark("live_fine/4000x3000/longest_slice",
                                                 largeMapFineLongestSlice)}) {
        b->Unit(benchmark::kMillisecond)->Repetitions(5)->Iterations(20)->UseManualTime();
    }
}
