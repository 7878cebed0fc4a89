// depthloom_bench: every benchmark, then each target's ratio against its floor.
// Pass --benchmark_filter=REGEX to run a subset (a target is shown when both sides ran).

#include "Benchmarks.h"

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    registerRenderBenchmarks();
    registerFileBenchmarks();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::vector<RatioTarget> targets = renderTargets();
    for (RatioTarget& target : fileTargets()) {
        targets.push_back(std::move(target));
    }
    const int missed = reporter.printRatios(targets);
    benchmark::Shutdown();
    return missed == 0 ? 0 : 1;
}
