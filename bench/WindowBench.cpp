// The output window's Make 3D against the timer it runs on: a picture rendered one row per
// 10 ms tick should take little longer than the ticks themselves. Both sides wait on the same
// precise timer in the same event loop, so the ratio shows what the window adds per tick.

#include "Benchmarks.h"
#include "Fixtures.h"
#include "common/ScriptedPrompts.h"
#include "document/DocumentState.h"
#include "document/Prompts.h"
#include "output/TfmArchieve.h"
#include "output/TfmOutput.h"
#include "raster/RasterImage.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>

namespace {

constexpr int Rows = 300;
constexpr int TickMs = 10;

// The main window's side: the language byte, the document and the progress window.
struct MainWindowSide
{
    std::uint8_t language = 0;
    DocumentState document;
    // Make 3D asks nothing; anything asked gets No, Cancel or no file.
    ScriptedPrompts prompts;
    TfmArchieve progress{language};
};

// A new project's strip and a depth map with a raised disc, as the user first draws.
RasterImage smallStrip()
{
    RasterImage strip(120, Rows);
    for (int y = 0; y < Rows; ++y) {
        QRgb* row = strip.scanLine(y);
        for (int x = 0; x < strip.width(); ++x) {
            row[x] = qRgb(x * 2, y * 255 / Rows, (x * y) & 0xFF);
        }
    }
    return strip;
}

RasterImage smallDepth()
{
    RasterImage depth(300, Rows);
    for (int y = 0; y < Rows; ++y) {
        QRgb* row = depth.scanLine(y);
        for (int x = 0; x < depth.width(); ++x) {
            const int dx = x - 150;
            const int dy = y - 150;
            const int grey = dx * dx + dy * dy < 100 * 100 ? 156 : 58;
            row[x] = qRgb(grey, grey, grey);
        }
    }
    return depth;
}

// From Make3D until the finished window is shown.
void make3dWindow(benchmark::State& state)
{
    MainWindowSide side;
    const RasterImage strip = smallStrip();
    const RasterImage depth = smallDepth();
    for (auto _ : state) {
        state.PauseTiming();
        TfmOutput output(side.progress, side.document, side.prompts, strip, depth);
        QEventLoop loop;
        // The loop returns once the tick that emitted this has shown the window.
        QObject::connect(&output, &TfmOutput::renderingFinished, &loop, &QEventLoop::quit);
        state.ResumeTiming();
        output.Make3D();
        loop.exec();
        benchmark::DoNotOptimize(output.isVisible());
    }
}

// The floor: as many precise 10 ms ticks as the picture has rows.
void timerTicks(benchmark::State& state)
{
    for (auto _ : state) {
        QEventLoop loop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        int ticks = 0;
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            if (++ticks == Rows) {
                loop.quit();
            }
        });
        timer.start(TickMs);
        loop.exec();
    }
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The longest tick for a 4200-pixel row (200 strip + 4000 depth), gauge update included; a
// tick much over a few milliseconds would make the main window stutter while it renders.
// max_tick_ms counts the thread's own CPU time; max_tick_wall_ms also counts the time other
// processes took the core, which on a shared machine reaches a scheduler slice (~4 ms).
void make3dLongestTick(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    MainWindowSide side;
    double longestCpuMs = 0;
    double longestWallMs = 0;
    for (auto _ : state) {
        TfmOutput output(side.progress, side.document, side.prompts, fixtures::patternStrip(),
                         fixtures::shapesDepthMap());
        output.Make3D();
        output.Timer1->stop(); // ticked by hand below, without waiting
        while (!output.isVisible()) {
            const Clock::time_point start = Clock::now();
            const double startCpu = threadCpuMs();
            output.Timer1Timer();
            longestCpuMs = std::max(longestCpuMs, threadCpuMs() - startCpu);
            const std::chrono::duration<double, std::milli> took = Clock::now() - start;
            longestWallMs = std::max(longestWallMs, took.count());
        }
    }
    state.counters["max_tick_ms"] = longestCpuMs;
    state.counters["max_tick_wall_ms"] = longestWallMs;
}

} // namespace

std::vector<RatioTarget> windowTargets()
{
    return {
        {"make3d_window/300", "make3d_ticks/300", 1.1},
    };
}

void registerWindowBenchmarks()
{
    for (auto* b : {benchmark::RegisterBenchmark("make3d_ticks/300", timerTicks),
                    benchmark::RegisterBenchmark("make3d_window/300", make3dWindow)}) {
        b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);
    }
    benchmark::RegisterBenchmark("make3d_window/longest_tick_4000", make3dLongestTick)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
}
