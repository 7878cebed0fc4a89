// A pencil stroke through the main window, from pointer events to repainted screen pixels, at
// 800 % against the same image-pixel stroke at 100 %: a magnified repaint should cost about what
// changed on screen, never the whole view or the whole picture.

#include "Benchmarks.h"
#include "common/ScriptedPrompts.h"
#include "mainwindow/ImagePane.h"
#include "mainwindow/TForm1.h"
#include "tools/TDrawTool.h"
#include "widgets/ImageView.h"
#include "widgets/ScrollBox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

// 200 points of a wave in the depth map's top-left 60 x 60 pixels, which 800 % still shows.
std::vector<QPoint> strokePoints()
{
    std::vector<QPoint> points;
    for (int i = 0; i < 200; ++i) {
        const double wave = std::sin(2 * std::numbers::pi * i / 50.0);
        points.emplace_back(4 + (i * 56) / 200, 32 + int(26 * wave));
    }
    return points;
}

void send(ImageView* view, QEvent::Type type, QPoint image)
{
    const Zoom& zoom = view->zoom();
    const QPointF at(zoom.toView(image.x()) + zoom.up / 2, zoom.toView(image.y()) + zoom.up / 2);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, view->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
    // Each event is painted before the next, as a user's slow stroke is.
    QApplication::processEvents();
}

void pencilStroke(benchmark::State& state, int percent)
{
    ScriptedPrompts prompts;
    TForm1 form(prompts);
    form.resize(1000, 700);
    form.show();
    form.FormActivate();
    form.SwitchCurrentImage();
    form.drawTool()->SelectTool(ToolId::Pencil);
    auto* pane = form.findChild<ImagePane*>(QStringLiteral("Panel3"));
    for (const Zoom& step : Zoom::steps()) {
        if (step.percent() == percent) {
            pane->setZoom(step);
        }
    }
    pane->box()->horizontalScrollBar()->setValue(0);
    pane->box()->verticalScrollBar()->setValue(0);
    QApplication::processEvents();
    ImageView* view = pane->image();
    const std::vector<QPoint> points = strokePoints();
    for (auto _ : state) {
        send(view, QEvent::MouseButtonPress, points.front());
        for (size_t i = 1; i < points.size(); ++i) {
            send(view, QEvent::MouseMove, points[i]);
        }
        send(view, QEvent::MouseButtonRelease, points.back());
    }
    benchmark::DoNotOptimize(form.depthMap().constScanLine(32));
}

} // namespace

std::vector<RatioTarget> zoomTargets()
{
    return {
        {"pencil_stroke/zoom800", "pencil_stroke/zoom100", 2.0},
    };
}

void registerZoomBenchmarks()
{
    for (int percent : {100, 800}) {
        benchmark::RegisterBenchmark(("pencil_stroke/zoom" + std::to_string(percent)).c_str(),
                                     pencilStroke, percent)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(5)
            ->MinTime(0.3);
    }
}
