// TArray::AddItem against std::vector::push_back: the same number of ints appended to an
// empty container, growth included, and the same into storage reserved up front (the inlined
// path alone). The default allocator reads the clock twice per call for its statistics; the
// untimed variant puts a plain heap allocator in GMalloc to show what that costs the array.
#include "BenchHeap.h"
#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#include <vector>

using namespace Tolvane;

namespace {

void BM_TArrayAddItem(benchmark::State& State)
{
    const int Items = static_cast<int>(State.range(0));
    for (auto _ : State) {
        TArray<int> Array;
        for (int i = 0; i < Items; ++i)
            Array.AddItem(i);
        benchmark::DoNotOptimize(Array.GetData());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_TArrayAddItem)->Arg(1000)->Arg(100000);

void BM_TArrayAddItemUntimedMalloc(benchmark::State& State)
{
    tvbench::FScopedPlainHeap Heap;
    BM_TArrayAddItem(State);
}
BENCHMARK(BM_TArrayAddItemUntimedMalloc)->Arg(1000)->Arg(100000);

void BM_VectorPushBack(benchmark::State& State)
{
    const int Items = static_cast<int>(State.range(0));
    for (auto _ : State) {
        std::vector<int> Vector;
        for (int i = 0; i < Items; ++i)
            Vector.push_back(i);
        benchmark::DoNotOptimize(Vector.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_VectorPushBack)->Arg(1000)->Arg(100000);

void BM_TArrayAddItemReserved(benchmark::State& State)
{
    const int Items = static_cast<int>(State.range(0));
    for (auto _ : State) {
        TArray<int> Array;
        Array.ReserveSpace(Items);
        for (int i = 0; i < Items; ++i)
            Array.AddItem(i);
        benchmark::DoNotOptimize(Array.GetData());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_TArrayAddItemReserved)->Arg(1000)->Arg(100000);

void BM_VectorPushBackReserved(benchmark::State& State)
{
    const int Items = static_cast<int>(State.range(0));
    for (auto _ : State) {
        std::vector<int> Vector;
        Vector.reserve(static_cast<std::size_t>(Items));
        for (int i = 0; i < Items; ++i)
            Vector.push_back(i);
        benchmark::DoNotOptimize(Vector.data());
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * Items);
}
BENCHMARK(BM_VectorPushBackReserved)->Arg(1000)->Arg(100000);

} // namespace

TVCORE_BENCH_RATIO("BM_TArrayAddItem/1000", "BM_VectorPushBack/1000", "goal <= 1.5: AddItem within 1.5x of push_back");
TVCORE_BENCH_RATIO("BM_TArrayAddItem/100000", "BM_VectorPushBack/100000", "goal <= 1.5: AddItem within 1.5x of push_back");
TVCORE_BENCH_RATIO("BM_TArrayAddItemUntimedMalloc/1000", "BM_VectorPushBack/1000", "information: the same without the allocator's timing");
TVCORE_BENCH_RATIO("BM_TArrayAddItemUntimedMalloc/100000", "BM_VectorPushBack/100000", "information: the same without the allocator's timing");
TVCORE_BENCH_RATIO("BM_TArrayAddItemReserved/1000", "BM_VectorPushBackReserved/1000", "goal <= 1.5: reserved storage");
TVCORE_BENCH_RATIO("BM_TArrayAddItemReserved/100000", "BM_VectorPushBackReserved/100000", "goal <= 1.5: reserved storage");
