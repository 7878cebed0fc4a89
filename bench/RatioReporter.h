#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

// A target: `name` must take at most `limit` times as long as `floor`, measured in one run.
struct RatioTarget
{
    std::string name;
    std::string floor;
    double limit;
};

// The console output as usual, plus the fastest repetition of every benchmark, so the ratios can
// be printed once all have run.
class RatioReporter final : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override;

    // Prints one line per target whose two benchmarks ran; returns how many missed their limit.
    int printRatios(const std::vector<RatioTarget>& targets) const;

private:
    std::map<std::string, double> m_fastest; // seconds per iteration
};
