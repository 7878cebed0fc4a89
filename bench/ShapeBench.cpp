// The fill and the shape tools' rubber band on a 4000 x 3000 picture, against the floor of one
// memcpy per row of a picture of that size (copy_rows, RenderBench.cpp).

#include "Benchmarks.h"
#include "Fixtures.h"
#include "QuietHost.h"
#include "raster/RasterImage.h"
#include "tools/DrawingState.h"
#include "tools/ToolHost.h"
#include "tools/toolRect.h"

namespace {

constexpr ColorRef Black = colorref::Black;
const ColorRef Paints[2] = {colorref::rgb(200, 30, 30), colorref::rgb(30, 200, 30)};

// Each iteration refills the region with the other colour, so every run fills all of it.
void fillAlternately(benchmark::State& state, RasterImage& image)
{
    int turn = 0;
    for (auto _ : state) {
        image.brush().color = Paints[turn ^ 1];
        image.floodFill(0, 0, Paints[turn], FloodFillMode::Surface);
        turn ^= 1;
        benchmark::DoNotOptimize(image.constScanLine(0));
    }
}

void floodFillOpen(benchmark::State& state)
{
    RasterImage image;
    image.brush().color = Paints[0];
    image.setSize(fixtures::DepthWidth, fixtures::DepthHeight);
    fillAlternately(state, image);
}

// Black walls in every fourth column, each with a one-pixel gap at the top or, alternately, at
// the bottom: the region is one corridor three pixels wide that winds over the whole picture.
void floodFillSerpentine(benchmark::State& state)
{
    RasterImage image;
    image.brush().color = Paints[0];
    image.setSize(fixtures::DepthWidth, fixtures::DepthHeight);
    const int last = fixtures::DepthHeight - 1;
    for (int x = 3, wall = 0; x < fixtures::DepthWidth; x += 4, ++wall) {
        const int gap = wall % 2 == 0 ? last : 0;
        for (int y = 0; y <= last; ++y) {
            if (y != gap) {
                image.scanLine(y)[x] = 0xFF000000 | Black;
            }
        }
    }
    fillAlternately(state, image);
}

// One pointer move of a solid rectangle drag in mix mode from `corner` to the far corner of a
// box `size` large, every other move one pixel smaller: put back what the last rectangle
// covered from the backup, then paint the new one.
void rubberBand(benchmark::State& state, QPoint corner, QSize size)
{
    RasterImage image = fixtures::shapesDepthMap();
    DrawingState drawing;
    drawing.ActiveImage = &image;
    drawing.CurrentColor = colorref::grey(150);
    drawing.ShapeLineWidth = 4;
    drawing.ShapeSolid = true;
    QuietHost host;
    toolRect tool(drawing, host);
    tool.MouseDown(corner.x(), corner.y());
    const QPoint far = corner + QPoint(size.width(), size.height());
    int turn = 0;
    for (auto _ : state) {
        tool.MouseMove(far.x() - turn, far.y() - turn);
        turn ^= 1;
        benchmark::DoNotOptimize(image.constScanLine(0));
    }
    tool.MouseUp(far.x(), far.y());
}

// A rectangle a quarter of the picture large, as a big drag on a big picture.
void rubberBandQuarter(benchmark::State& state)
{
    rubberBand(state, {1000, 700}, {fixtures::DepthWidth / 2, fixtures::DepthHeight / 2});
}

// The worst case: the rectangle covers the whole picture.
void rubberBandWhole(benchmark::State& state)
{
    rubberBand(state, {0, 0}, {fixtures::DepthWidth, fixtures::DepthHeight});
}

} // namespace

std::vector<RatioTarget> shapeTargets()
{
    return {
        {"flood_fill/open", "copy_rows", 3.0},
        {"flood_fill/serpentine", "copy_rows", 6.0},
        {"rubber_band/4000x3000", "copy_rows", 1.5},
        {"rubber_band/4000x3000/whole", "copy_rows", 2.0},
    };
}

void registerShapeBenchmarks()
{
    for (auto* b : {benchmark::RegisterBenchmark("flood_fill/open", floodFillOpen),
                    benchmark::RegisterBenchmark("flood_fill/serpentine", floodFillSerpentine),
                    benchmark::RegisterBenchmark("rubber_band/4000x3000", rubberBandQuarter),
                    benchmark::RegisterBenchmark("rubber_band/4000x3000/whole", rubberBandWhole)}) {
        b->Unit(benchmark::kMillisecond)->Repetitions(5)->MinTime(0.3);
    }
}
