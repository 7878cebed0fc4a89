#include "RatioReporter.h"

#include <algorithm>
#include <cstdio>

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) {
            continue;
        }
        const double seconds = run.real_accumulated_time / double(run.iterations);
        const std::string& name = run.run_name.function_name;
        const auto found = m_fastest.find(name);
        m_fastest[name] = found == m_fastest.end() ? seconds : std::min(found->second, seconds);
    }
    ConsoleReporter::ReportRuns(runs);
}

int RatioReporter::printRatios(const std::vector<RatioTarget>& targets) const
{
    int missed = 0;
    std::printf("\n%-28s %-24s %8s %8s\n", "benchmark", "floor", "ratio", "target");
    for (const RatioTarget& target : targets) {
        const auto measured = m_fastest.find(target.name);
        const auto floor = m_fastest.find(target.floor);
        if (measured == m_fastest.end() || floor == m_fastest.end() || floor->second <= 0) {
            continue;
        }
        const double ratio = measured->second / floor->second;
        const bool met = ratio <= target.limit;
        missed += met ? 0 : 1;
        std::printf("%-28s %-24s %8.2f %7s%.1f%s\n", target.name.c_str(), target.floor.c_str(),
                    ratio, "<= ", target.limit, met ? "" : "  MISSED");
    }
    return missed;
}
