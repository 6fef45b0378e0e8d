// Byte-level storage of TArray: the growth rule, the size limits and the allocation calls.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvArrayStorage.h"

namespace Tolvane {

int FArrayStorage::GrowthStep(int OldCount, int GrowBy)
{
    if (GrowBy > 0)
        return GrowBy;
    // 64-bit arithmetic: OldCount * 3 overflows an int from 715827883 elements on.
    const std::int64_t Step = static_cast<std::int64_t>(OldCount) * 3 / 8 + 32;
    return static_cast<int>(std::clamp<std::int64_t>(Step, 4, 1024));
}

int FArrayStorage::MaxElements(std::size_t ElementSize)
{
    const std::size_t MaxBytes = std::numeric_limits<unsigned int>::max();
    const std::size_t ByBytes = ElementSize ? MaxBytes / ElementSize : MaxBytes;
    const std::size_t ByCount = static_cast<std::size_t>(std::numeric_limits<int>::max());
    return static_cast<int>(std::min(ByBytes, ByCount));
}

namespace {
// One block request of Elements elements: Malloc for a first block, Realloc to enlarge one.
// Realloc moves the old elements as raw bytes, and leaves the old block untouched on refusal.
void* RequestBlock(void* Old, std::int64_t Elements, std::size_t ElementSize)
{
    const unsigned int Bytes = static_cast<unsigned int>(static_cast<std::size_t>(Elements) * ElementSize);
    return Old ? GMalloc->Realloc(Old, Bytes) : GMalloc->Malloc(Bytes);
}
} // namespace

int FArrayStorage::GrowTo(std::int64_t NewSize, std::size_t ElementSize)
{
    if (NewSize < 0)
        return 0;
    if (NewSize <= Capacity)
        return 1;
    const std::int64_t Max = MaxElements(ElementSize);
    if (NewSize > Max)
        return 0;
    const std::int64_t Preferred = Data
        ? static_cast<std::int64_t>(Capacity) + GrowthStep(Count, GrowBy)
        : static_cast<std::int64_t>(GrowBy);
    std::int64_t Elements = std::min(std::max(NewSize, Preferred), Max);
    void* Block = RequestBlock(Data, Elements, ElementSize);
    if (!Block && Elements > NewSize) {
        Elements = NewSize;
        Block = RequestBlock(Data, Elements, ElementSize);
    }
    if (!Block)
        return 0;
    if (!Data)
        std::memset(Block, 0, static_cast<std::size_t>(Elements) * ElementSize);
    Data = Block;
    Capacity = static_cast<int>(Elements);
    return 1;
}

int FArrayStorage::ReserveExactly(std::int64_t NewCapacity, std::size_t ElementSize)
{
    if (NewCapacity < 0 || NewCapacity > MaxElements(ElementSize))
        return 0;
    if (NewCapacity <= Capacity)
        return 1;
    void* Block = RequestBlock(Data, NewCapacity, ElementSize);
    if (!Block)
        return 0;
    Data = Block;
    Capacity = static_cast<int>(NewCapacity);
    ZeroSlots(Count, Capacity - Count, ElementSize);
    return 1;
}

void FArrayStorage::ReleaseStorage()
{
    if (Data)
        GMalloc->Free(Data);
    Data = nullptr;
    Count = 0;
    Capacity = 0;
}

void FArrayStorage::ZeroSlots(int From, int Number, std::size_t ElementSize) const
{
    if (Number > 0)
        std::memset(Slot(From, ElementSize), 0, static_cast<std::size_t>(Number) * ElementSize);
}

} // namespace Tolvane
