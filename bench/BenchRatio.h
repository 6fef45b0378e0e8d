// Benchmarks are compared with a baseline measured in the same run: a file declares each pair
// once with TVCORE_BENCH_RATIO(subject, baseline) and the shared main prints subject/baseline
// after all benchmarks have run, in real and in CPU time, of the medians when the run has
// repetitions (--benchmark_repetitions=5). On a shared machine the CPU ratio is the one to read.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

namespace tvbench {

struct FRatio {
    const char* Subject;
    const char* Baseline;
    const char* Goal;  // a note printed beside the ratio, e.g. "goal <= 1.2"
};

int RegisterRatio(const FRatio& Ratio);

} // namespace tvbench

#define TVCORE_BENCH_CAT2(a, b) a##b
#define TVCORE_BENCH_CAT(a, b) TVCORE_BENCH_CAT2(a, b)
#define TVCORE_BENCH_RATIO(Subject, Baseline, Goal) \
    static const int TVCORE_BENCH_CAT(GRatio_, __LINE__) = tvbench::RegisterRatio({Subject, Baseline, Goal})
