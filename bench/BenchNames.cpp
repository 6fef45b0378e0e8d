// The name table against a standard hash map with a case-insensitive hash, and the memory
// stack's PushBytes against the heap.
#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>
#include "support/WideText.h"

using WideTextView = std::basic_string_view<Tolvane::tvWChar>;

using namespace Tolvane;

namespace {

// Names of the kind a configuration holds, in mixed case: "Section7.PropertyName_123".
const std::vector<WideText>& BenchNames(int Count)
{
    static std::unordered_map<int, std::vector<WideText>> Cache;
    std::vector<WideText>& Names = Cache[Count];
    if (Names.empty()) {
        static const char* const Words[] = {"Color", "Speed", "MaxHealth", "TextureName", "bEnabled", "Radius"};
        for (int i = 0; i < Count; ++i) {
            std::string Text = "Section" + std::to_string(i % 37) + "." + Words[i % 6] + "_" + std::to_string(i);
            Names.emplace_back(Text.begin(), Text.end());
        }
    }
    return Names;
}

// The lookup order: every name once, shuffled, so that neither side profits from order.
std::vector<int> LookupOrder(int Count)
{
    std::vector<int> Order(static_cast<std::size_t>(Count));
    for (int i = 0; i < Count; ++i)
        Order[static_cast<std::size_t>(i)] = i;
    std::shuffle(Order.begin(), Order.end(), std::mt19937(12345));
    return Order;
}

Tolvane::tvWChar FoldAscii(Tolvane::tvWChar C) { return (C >= TVTEXT('A') && C <= TVTEXT('Z')) ? static_cast<Tolvane::tvWChar>(C + 32) : C; }

// FNV-1a over the A-Z-folded code units, and the matching equality.
struct FNoCaseHash {
    std::size_t operator()(WideTextView Text) const
    {
        std::size_t Hash = 14695981039346656037ull;
        for (Tolvane::tvWChar C : Text)
            Hash = (Hash ^ FoldAscii(C)) * 1099511628211ull;
        return Hash;
    }
};
struct FNoCaseEqual {
    bool operator()(WideTextView A, WideTextView B) const
    {
        if (A.size() != B.size())
            return false;
        for (std::size_t i = 0; i < A.size(); ++i)
            if (FoldAscii(A[i]) != FoldAscii(B[i]))
                return false;
        return true;
    }
};
// Find: keys view the benchmark's own strings, so a lookup allocates nothing.
typedef std::unordered_map<WideTextView, tvULong, FNoCaseHash, FNoCaseEqual> FViewMap;
// Add: keys are copies, as the name table copies its texts.
typedef std::unordered_map<WideText, tvULong, FNoCaseHash, FNoCaseEqual> FCopyMap;

// Arguments: the number of names, and the name table's bucket count.
void BM_NameHashFind(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    const std::vector<WideText>& Names = BenchNames(Count);
    FNameHash Table(Count, static_cast<int>(State.range(1)));
    for (const WideText& Name : Names)
        Table.Add(Name.c_str());
    const std::vector<int> Order = LookupOrder(Count);
    std::size_t Next = 0;
    for (auto _ : State) {
        benchmark::DoNotOptimize(Table.Find(Names[static_cast<std::size_t>(Order[Next])].c_str()));
        if (++Next == Order.size())
            Next = 0;
    }
}
BENCHMARK(BM_NameHashFind)->Args({1024, 1024})->Args({100000, 1024})->Args({100000, 131072});

void BM_UnorderedMapFind(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    const std::vector<WideText>& Names = BenchNames(Count);
    FViewMap Map;
    for (const WideText& Name : Names)
        Map.emplace(Name, static_cast<tvULong>(Map.size()));
    const std::vector<int> Order = LookupOrder(Count);
    std::size_t Next = 0;
    for (auto _ : State) {
        // Found through a pointer to zero-terminated text, as the name table is.
        const Tolvane::tvWChar* Text = Names[static_cast<std::size_t>(Order[Next])].c_str();
        auto Found = Map.find(WideTextView(Text));
        benchmark::DoNotOptimize(Found);
        if (++Next == Order.size())
            Next = 0;
    }
}
BENCHMARK(BM_UnorderedMapFind)->Arg(1024)->Arg(100000);

// A whole table built per iteration: construction, every name added, destruction.
void BM_NameHashAdd(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    const std::vector<WideText>& Names = BenchNames(Count);
    for (auto _ : State) {
        FNameHash Table(1024, static_cast<int>(State.range(1)));
        for (const WideText& Name : Names)
            benchmark::DoNotOptimize(Table.Add(Name.c_str()));
    }
    State.SetItemsProcessed(State.iterations() * Count);
}
BENCHMARK(BM_NameHashAdd)->Args({1024, 1024})->Args({100000, 1024})->Args({100000, 131072})->Unit(benchmark::kMicrosecond);

void BM_UnorderedMapAdd(benchmark::State& State)
{
    const int Count = static_cast<int>(State.range(0));
    const std::vector<WideText>& Names = BenchNames(Count);
    for (auto _ : State) {
        FCopyMap Map;
        for (const WideText& Name : Names) {
            // Unique adding: a lookup first, then the copy.
            auto Found = Map.find(Name);
            benchmark::DoNotOptimize(Found == Map.end() ? Map.emplace(Name, static_cast<tvULong>(Map.size())).first->second
                                                        : Found->second);
        }
    }
    State.SetItemsProcessed(State.iterations() * Count);
}
BENCHMARK(BM_UnorderedMapAdd)->Arg(1024)->Arg(100000)->Unit(benchmark::kMicrosecond);

// 1024 small pieces, then all given back at once (a mark popped; the heap frees each).
constexpr int PiecesPerRound = 1024;
constexpr int PieceSize = 32;

void BM_MemStackPushBytes(benchmark::State& State)
{
    FMemStack Stack;
    Stack.Init(65536, 8);
    Stack.PushBytes(0, 8);  // the first chunk exists before timing starts, as in steady use
    for (auto _ : State) {
        FMemMark Mark(Stack);
        for (int i = 0; i < PiecesPerRound; ++i)
            benchmark::DoNotOptimize(Stack.PushBytes(PieceSize, 8));
        Mark.Pop();
    }
    Stack.Reset();
}
BENCHMARK(BM_MemStackPushBytes);

void BM_MallocPieces(benchmark::State& State)
{
    void* Pieces[PiecesPerRound];
    for (auto _ : State) {
        for (void*& Piece : Pieces) {
            Piece = std::malloc(PieceSize);
            benchmark::DoNotOptimize(Piece);
        }
        for (void* Piece : Pieces)
            std::free(Piece);
    }
}
BENCHMARK(BM_MallocPieces);

} // namespace

TVCORE_BENCH_RATIO("BM_NameHashFind/1024/1024", "BM_UnorderedMapFind/1024", "goal <= 1.0 at the default table size");
TVCORE_BENCH_RATIO("BM_NameHashFind/100000/1024", "BM_UnorderedMapFind/100000", "information: ~98 names per bucket");
TVCORE_BENCH_RATIO("BM_NameHashFind/100000/131072", "BM_UnorderedMapFind/100000", "information: table sized for the names");
TVCORE_BENCH_RATIO("BM_NameHashAdd/1024/1024", "BM_UnorderedMapAdd/1024", "information");
TVCORE_BENCH_RATIO("BM_NameHashAdd/100000/1024", "BM_UnorderedMapAdd/100000", "information: ~98 names per bucket");
TVCORE_BENCH_RATIO("BM_NameHashAdd/100000/131072", "BM_UnorderedMapAdd/100000", "information: table sized for the names");
TVCORE_BENCH_RATIO("BM_MemStackPushBytes", "BM_MallocPieces", "goal <= 0.1: at least 10x faster than malloc");
