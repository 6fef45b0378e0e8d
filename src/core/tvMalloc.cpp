// The allocator interface and the default and null allocators.
#include "base/tvPrelude.h"
#include "tvCore/core/tvMalloc.h"
#include "tvCore/core/tvGlobals.h"
#include "platform/tvPlatformClock.h"

namespace Tolvane {

namespace {
// The statistics are approximate when threads allocate at once, as the interface allows; they
// are read and written with relaxed atomic accesses (plain moves on the targets we build for)
// so concurrent allocation is free of data races without the cost of locked instructions.
template <class T>
inline void AddRelaxed(T& Field, T Amount)
{
    RelaxedStore(Field, T(RelaxedLoad(Field) + Amount));
}

// One timed standard heap call: Time -= clock, call, Time += clock, Count += 1. The difference of
// two readings of the seconds clock's own counter is the same amount without the base handling.
template <class Call>
inline auto Timed(double& Time, std::int32_t& Count, Call&& HeapCall)
{
    const std::uint64_t Start = Platform::MonotonicNanoseconds();
    auto Result = HeapCall();
    const std::uint64_t End = Platform::MonotonicNanoseconds();
    AddRelaxed(Time, static_cast<double>(End - Start) * 1.0e-9);
    AddRelaxed(Count, std::int32_t(1));
    return Result;
}
} // namespace

FMalloc::~FMalloc() = default;
void FMalloc::Dump() {}
void FMalloc::SetDebugInfo(const char*, int) {}
int FMalloc::GetAllocatedSize(EMallocTag) { return 0; }
int FMalloc::GetAllocatedSize() { return 0; }
void FMalloc::PushMallocTag(EMallocTag) {}
void FMalloc::PopMallocTag(EMallocTag) {}

FMallocAnsi::FMallocAnsi() { appInitCriticalSection(); }
FMallocAnsi::~FMallocAnsi() { appUninitCriticalSection(); }

void* FMallocAnsi::Malloc(unsigned int Size)
{
    return Timed(MallocTime, MallocCount, [Size] { return std::malloc(Size); });
}

void* FMallocAnsi::Realloc(void* Ptr, unsigned int Size)
{
    return Timed(ReallocTime, ReallocCount, [Ptr, Size] { return std::realloc(Ptr, Size); });
}

void FMallocAnsi::Free(void* Ptr)
{
    Timed(FreeTime, FreeCount, [Ptr] { std::free(Ptr); return 0; });
}

FMallocNull::~FMallocNull() = default;
void* FMallocNull::Malloc(unsigned int) { return nullptr; }
void* FMallocNull::Realloc(void*, unsigned int) { return nullptr; }
void FMallocNull::Free(void*) {}

} // namespace Tolvane
