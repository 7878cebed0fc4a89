// depthloom_bench: every benchmark, then each target's ratio against its floor.
// Pass --benchmark_filter=REGEX to run a subset (a target is shown when both sides ran).

#include "Benchmarks.h"

#include <QApplication>

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // The window benchmarks need an application; no display is needed or wanted.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1; // the benchmark's own options are not Qt's
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);

    registerRenderBenchmarks();
    registerFileBenchmarks();
    registerBatchBenchmarks();
    registerToolBenchmarks();
    registerWindowBenchmarks();
    registerStartupBenchmarks();
    registerShapeBenchmarks();
    registerLiveBenchmarks();
    registerZoomBenchmarks();
    registerDecodeBenchmarks();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::vector<RatioTarget> targets = renderTargets();
    for (auto* more : {fileTargets, batchTargets, toolTargets, shapeTargets, windowTargets,
                       startupTargets, liveTargets, zoomTargets, decodeTargets}) {
        for (RatioTarget& target : more()) {
            targets.push_back(std::move(target));
        }
    }
    const int missed = reporter.printRatios(targets);
    benchmark::Shutdown();
    return missed == 0 ? 0 : 1;
}
