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

// Keeps each benchmark's real and CPU time per iteration (in nanoseconds) while printing as
// usual: the median when the run has repetitions, else the single run.
class FCollectingReporter : public benchmark::ConsoleReporter {
public:
    struct FTimes {
        double Real = 0.0;
        double Cpu = 0.0;
        bool Median = false;
    };
    std::map<std::string, FTimes> Times;

    void ReportRuns(const std::vector<Run>& Runs) override
    {
        for (const Run& R : Runs) {
            if (R.error_occurred)
                continue;
            const bool Median = R.run_type == Run::RT_Aggregate && R.aggregate_name == "median";
            if (R.run_type != Run::RT_Iteration && !Median)
                continue;
            FTimes& T = Times[R.run_name.str()];
            if (T.Median && !Median)
                continue;
            const double Scale = TimeUnitToNs(R.time_unit);
            T = FTimes{R.GetAdjustedRealTime() * Scale, R.GetAdjustedCPUTime() * Scale, Median};
        }
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

    std::printf("\nRatios (subject / baseline, same run; medians when repeated):\n");
    std::printf("  %-44s   %-36s   %6s %6s\n", "subject", "baseline", "real", "CPU");
    for (const tvbench::FRatio& R : tvbench::Ratios()) {
        auto S = Reporter.Times.find(R.Subject);
        auto B = Reporter.Times.find(R.Baseline);
        if (S == Reporter.Times.end() || B == Reporter.Times.end() || B->second.Real <= 0.0 || B->second.Cpu <= 0.0)
            continue;  // filtered out of this run
        std::printf("  %-44s / %-36s = %6.2f %6.2f   (%s)\n", R.Subject, R.Baseline, S->second.Real / B->second.Real,
                    S->second.Cpu / B->second.Cpu, R.Goal);
    }
    return 0;
}
