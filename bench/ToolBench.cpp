// A pencil stroke on a large depth map and a move step of a floating selection, against the
// floor of one pass over a picture.

#include "Benchmarks.h"
#include "Fixtures.h"
#include "QuietHost.h"
#include "raster/RasterImage.h"
#include "tools/DrawingState.h"
#include "tools/ToolHost.h"
#include "tools/ToolPencil.h"
#include "tools/ToolSelect.h"

#include <QPoint>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

// A wave across the whole depth map, 1 000 points about 4 to 15 pixels apart.
std::vector<QPoint> strokePoints()
{
    std::vector<QPoint> points;
    for (int i = 0; i < 1000; ++i) {
        const double wave = std::sin(2 * std::numbers::pi * i / 250.0);
        points.emplace_back(100 + i * 38 / 10, fixtures::DepthHeight / 2 + int(1200 * wave));
    }
    return points;
}

// Press, 999 moves and the release, with the solid pen of size 3 in opaque mode: the press
// takes the whole-picture undo snapshot, every move paints a 13-pixel-wide segment and a dab.
void pencilStroke(benchmark::State& state)
{
    RasterImage depth = fixtures::shapesDepthMap();
    depth.scanLine(0); // a picture of its own, before the timing
    depth.setPalette(greypalette::make());
    DrawingState drawing;
    drawing.ActiveImage = &depth;
    drawing.DepthMapActive = true;
    drawing.CurrentColor = colorref::paletteGrey(120);
    drawing.OpaquePaint = true;
    drawing.PenSize = 3;
    QuietHost host;
    ToolPencil pencil(drawing, host);
    const std::vector<QPoint> points = strokePoints();
    auto stroke = [&] {
        pencil.MouseDown(points.front().x(), points.front().y());
        for (size_t i = 1; i < points.size(); ++i) {
            pencil.MouseMove(points[i].x(), points[i].y());
        }
        pencil.MouseUp(points.back().x(), points.back().y());
    };
    stroke(); // the first stroke of a tool also allocates its undo picture
    for (auto _ : state) {
        stroke();
        benchmark::DoNotOptimize(depth.constScanLine(fixtures::DepthHeight / 2));
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(host.reported);
}

// One move step of a 1000 x 1000 floating selection over the whole depth map: the background
// put back, the selection composed at its new place and the marquee drawn around it. The steps
// go one pixel right and back in turn.
void selectMove(benchmark::State& state)
{
    RasterImage depth = fixtures::shapesDepthMap();
    depth.scanLine(0);
    DrawingState drawing;
    drawing.ActiveImage = &depth;
    drawing.DepthMapActive = true;
    QuietHost host;
    ToolSelect select(drawing, host);
    select.MouseDown(1000, 1000);
    select.MouseMove(2000, 2000);
    select.MouseUp(2000, 2000);
    select.MouseDown(1500, 1500);
    int x = 1500;
    for (auto _ : state) {
        x = x == 1500 ? 1501 : 1500;
        select.MouseMove(x, 1500);
        benchmark::DoNotOptimize(depth.constScanLine(1500));
        benchmark::ClobberMemory();
    }
    select.MouseUp(x, 1500);
    benchmark::DoNotOptimize(host.reported);
}

} // namespace

std::vector<RatioTarget> toolTargets()
{
    return {
        {"pencil_stroke/4000x3000", "copy_rows", 2.5},
        {"select_move/4000x3000", "copy_rows", 1.5},
    };
}

void registerToolBenchmarks()
{
    for (auto* b : {benchmark::RegisterBenchmark("pencil_stroke/4000x3000", pencilStroke),
                    benchmark::RegisterBenchmark("select_move/4000x3000", selectMove)}) {
        b->Unit(benchmark::kMillisecond)->Repetitions(5)->MinTime(0.3);
    }
}
