// FString against WideText and snprintf on the same texts: formatting, appending,
// searching and replacing.
#include "BenchHeap.h"
#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#include <cstdio>
#include <string>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

// The same text both ways: "Frame 1234: 56.789 ms (name)".
void BM_FStringFormat(benchmark::State& State)
{
    FString S;
    int Frame = 0;
    for (auto _ : State) {
        S.Format(TVTEXT("Frame %d: %.3f ms (%s)"), Frame++, 56.789, TVTEXT("renderer"));
        benchmark::DoNotOptimize(static_cast<const tvWChar*>(S));
    }
}
BENCHMARK(BM_FStringFormat);

void BM_SnprintfFormat(benchmark::State& State)
{
    char Buffer[4096];
    std::string S;
    int Frame = 0;
    for (auto _ : State) {
        const int N = std::snprintf(Buffer, sizeof Buffer, "Frame %d: %.3f ms (%s)", Frame++, 56.789, "renderer");
        S.assign(Buffer, std::size_t(N));
        benchmark::DoNotOptimize(S.data());
    }
}
BENCHMARK(BM_SnprintfFormat);
TVCORE_BENCH_RATIO("BM_FStringFormat", "BM_SnprintfFormat", "goal <= 1.2");

// Integers only: no floating-point conversion on either side.
void BM_FStringFormatIntegers(benchmark::State& State)
{
    FString S;
    int V = 0;
    for (auto _ : State) {
        S.Format(TVTEXT("%d,%d,%x,%s"), V, V * 7, V * 13, TVTEXT("end"));
        ++V;
        benchmark::DoNotOptimize(static_cast<const tvWChar*>(S));
    }
}
BENCHMARK(BM_FStringFormatIntegers);

void BM_SnprintfFormatIntegers(benchmark::State& State)
{
    char Buffer[4096];
    std::string S;
    int V = 0;
    for (auto _ : State) {
        const int N = std::snprintf(Buffer, sizeof Buffer, "%d,%d,%x,%s", V, V * 7, V * 13, "end");
        ++V;
        S.assign(Buffer, std::size_t(N));
        benchmark::DoNotOptimize(S.data());
    }
}
BENCHMARK(BM_SnprintfFormatIntegers);
TVCORE_BENCH_RATIO("BM_FStringFormatIntegers", "BM_SnprintfFormatIntegers", "goal <= 1.2");

// Building a path from five pieces. FString grows to the exact size at every append.
void BM_FStringAppend(benchmark::State& State)
{
    for (auto _ : State) {
        FString S(TVTEXT("Data"));
        S += TVTEXT("\\Models");
        S += TVTEXT("\\Characters");
        S += TVTEXT('\\');
        S += TVTEXT("body.msh");
        benchmark::DoNotOptimize(static_cast<const tvWChar*>(S));
    }
}
BENCHMARK(BM_FStringAppend);

void BM_U16StringAppend(benchmark::State& State)
{
    for (auto _ : State) {
        WideText S(TVTEXT("Data"));
        S += TVTEXT("\\Models");
        S += TVTEXT("\\Characters");
        S += TVTEXT('\\');
        S += TVTEXT("body.msh");
        benchmark::DoNotOptimize(S.data());
    }
}
BENCHMARK(BM_U16StringAppend);
TVCORE_BENCH_RATIO("BM_FStringAppend", "BM_U16StringAppend", "exact capacity: one allocation per growing append");

// The same appends on the plain heap: the difference is the default allocator's statistics
// (two clock readings around each Malloc and Free).
void BM_FStringAppendUntimedMalloc(benchmark::State& State)
{
    tvbench::FScopedPlainHeap Heap;
    BM_FStringAppend(State);
}
BENCHMARK(BM_FStringAppendUntimedMalloc);
TVCORE_BENCH_RATIO("BM_FStringAppendUntimedMalloc", "BM_U16StringAppend", "information: the same without the allocator's timing");

const WideText GHaystack = WideText(2000, TVTEXT('a')) + TVTEXT("needle") + WideText(100, TVTEXT('b'));

void BM_FStringFind(benchmark::State& State)
{
    const FString S(GHaystack.c_str());
    for (auto _ : State)
        benchmark::DoNotOptimize(S.Find(TVTEXT("needle")));
}
BENCHMARK(BM_FStringFind);

void BM_U16StringFind(benchmark::State& State)
{
    const WideText S = GHaystack;
    for (auto _ : State)
        benchmark::DoNotOptimize(S.find(TVTEXT("needle")));
}
BENCHMARK(BM_U16StringFind);
TVCORE_BENCH_RATIO("BM_FStringFind", "BM_U16StringFind", "");

const WideText GPath = TVTEXT("Data\\Models\\Chars\\Body\\Arm\\Left\\Hand\\Finger\\Nail.msh");

void BM_FStringReplace(benchmark::State& State)
{
    for (auto _ : State) {
        FString S(GPath.c_str());
        benchmark::DoNotOptimize(S.Replace(TVTEXT("\\"), TVTEXT("/")));
    }
}
BENCHMARK(BM_FStringReplace);

void BM_U16StringReplace(benchmark::State& State)
{
    for (auto _ : State) {
        WideText S = GPath;
        int Count = 0;
        for (std::size_t At = S.find(TVTEXT("\\")); At != WideText::npos; At = S.find(TVTEXT("\\"), At + 1)) {
            S.replace(At, 1, TVTEXT("/"));
            ++Count;
        }
        benchmark::DoNotOptimize(Count);
    }
}
BENCHMARK(BM_U16StringReplace);
TVCORE_BENCH_RATIO("BM_FStringReplace", "BM_U16StringReplace", "");

} // namespace
