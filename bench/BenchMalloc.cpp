// FMallocAnsi Malloc+Free against the raw heap, and the floor its timing sets: four reads of
// the monotonic clock that the seconds clock stands on.
#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#include <cstdlib>
#include <ctime>

using namespace Tolvane;

namespace {

void BM_RawMallocFree(benchmark::State& State)
{
    for (auto _ : State) {
        void* P = std::malloc(64);
        benchmark::DoNotOptimize(P);
        std::free(P);
    }
}
BENCHMARK(BM_RawMallocFree);

void BM_FMallocAnsiMallocFree(benchmark::State& State)
{
    FMalloc* M = GMalloc;
    for (auto _ : State) {
        void* P = M->Malloc(64);
        benchmark::DoNotOptimize(P);
        M->Free(P);
    }
}
BENCHMARK(BM_FMallocAnsiMallocFree);

// The cost of the timing alone: the allocator reads the clock twice per call.
void BM_FourMonotonicClockReads(benchmark::State& State)
{
    timespec T;
    for (auto _ : State) {
        for (int i = 0; i < 4; ++i) {
            clock_gettime(CLOCK_MONOTONIC, &T);
            benchmark::DoNotOptimize(T);
        }
    }
}
BENCHMARK(BM_FourMonotonicClockReads);

void BM_RawMallocFreePlusFourClockReads(benchmark::State& State)
{
    timespec T;
    for (auto _ : State) {
        for (int i = 0; i < 2; ++i) {
            clock_gettime(CLOCK_MONOTONIC, &T);
            benchmark::DoNotOptimize(T);
        }
        void* P = std::malloc(64);
        benchmark::DoNotOptimize(P);
        for (int i = 0; i < 2; ++i) {
            clock_gettime(CLOCK_MONOTONIC, &T);
            benchmark::DoNotOptimize(T);
        }
        std::free(P);
    }
}
BENCHMARK(BM_RawMallocFreePlusFourClockReads);

} // namespace

TVCORE_BENCH_RATIO("BM_FMallocAnsiMallocFree", "BM_RawMallocFree", "information: the timing costs four clock reads");
TVCORE_BENCH_RATIO("BM_FMallocAnsiMallocFree", "BM_RawMallocFreePlusFourClockReads", "goal <= 1.0: overhead no more than four clock reads");
