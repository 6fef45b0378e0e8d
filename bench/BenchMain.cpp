// The benchmark program's main: runs the benchmarks, then prints every declared ratio.
#include "BenchRatio.h"

#include <cstdio>
#include <map>
#include <vector>

namespace tvbench {

namespace {
std::vector<FRatio>& Ratios()
{
    static std::vector<FRatio> All;
    return All;
}

// Keeps each benchmark's time per iteration (in nanoseconds) while printing as usual.
class FCollectingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> Nanoseconds;

    void ReportRuns(const std::vector<Run>& Runs) override
    {
        for (const Run& R : Runs)
            if (!R.error_occurred && R.run_type == Run::RT_Iteration)
                Nanoseconds[R.benchmark_name()] = R.GetAdjustedRealTime() * TimeUnitToNs(R.time_unit);
        ConsoleReporter::ReportRuns(Runs);
    }

private:
    static double TimeUnitToNs(benchmark::TimeUnit Unit)
    {
        switch (Unit) {
        case benchmark::kSecond: return 1e9;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kMicrosecond: return 1e3;
        default: return 1.0;
        }
    }
};
} // namespace

int RegisterRatio(const FRatio& Ratio)
{
    Ratios().push_back(Ratio);
    return 0;
}

} // namespace tvbench

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    tvbench::FCollectingReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    benchmark::Shutdown();

    std::printf("\nRatios (subject / baseline, same run):\n");
    for (const tvbench::FRatio& R : tvbench::Ratios()) {
        auto S = Reporter.Nanoseconds.find(R.Subject);
        auto B = Reporter.Nanoseconds.find(R.Baseline);
        if (S == Reporter.Nanoseconds.end() || B == Reporter.Nanoseconds.end() || B->second <= 0.0)
            continue;  // filtered out of this run
        std::printf("  %-44s / %-36s = %6.2f   (%s)\n", R.Subject, R.Baseline, S->second / B->second, R.Goal);
    }
    return 0;
}
