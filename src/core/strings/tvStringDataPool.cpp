// FStringDataPool: Count item records followed directly by Count buffers of ItemLength units,
// all in one GMalloc block. The record count is not stored: the first record's buffer starts
// right after the last record, which gives it back.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvStringDataPool.h"

#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"

#include <climits>
#include <cstring>

namespace Tolvane {

FStringDataPool::FStringDataPool(int Length, int Count)
    : ItemLength(Length)
{
    if (Length < 1 || Count < 1)
        return;  // an empty pool: Lock always gives null
    const unsigned long long Size =
        (unsigned long long)Count * (sizeof(FItem) + (unsigned long long)Length * sizeof(tvWChar));
    if (Size > UINT_MAX)
        return;
    GMalloc->PushMallocTag(MALLOC_TAG_STRINGPOOL);
    Block = GMalloc->Malloc(unsigned(Size));
    GMalloc->PopMallocTag(MALLOC_TAG_STRINGPOOL);
    if (!Block)
        return;
    FItem* Items = static_cast<FItem*>(Block);
    tvWChar* Buffers = reinterpret_cast<tvWChar*>(Items + Count);
    for (int i = 0; i < Count; ++i) {
        Items[i].Self = &Items[i];
        Items[i].Buffer = Buffers + std::size_t(i) * std::size_t(Length);
        Items[i].Next = i + 1 < Count ? &Items[i + 1] : nullptr;
        Items[i].Pool = this;
    }
    FreeList = &Items[0];
}

FStringDataPool::~FStringDataPool()
{
    if (Block)
        GMalloc->Free(Block);
    Block = nullptr;
}

FStringDataPool::FStringDataPool(const FStringDataPool& Other)
{
    CopyFrom(Other);
}

FStringDataPool& FStringDataPool::operator=(const FStringDataPool& Other)
{
    if (this == &Other)
        return *this;
    if (Block)
        GMalloc->Free(Block);
    Block = nullptr;
    CopyFrom(Other);
    return *this;
}

void FStringDataPool::CopyFrom(const FStringDataPool& Other)
{
    ItemLength = Other.ItemLength;
    FreeList = nullptr;
    const std::size_t Count = Other.ItemCount();
    if (Count == 0)
        return;
    const std::size_t Size = Count * (sizeof(FItem) + std::size_t(ItemLength) * sizeof(tvWChar));
    GMalloc->PushMallocTag(MALLOC_TAG_STRINGPOOL);
    Block = GMalloc->Malloc(unsigned(Size));  // the other pool's block had this size
    GMalloc->PopMallocTag(MALLOC_TAG_STRINGPOOL);
    if (!Block)
        return;  // refused: an empty pool, which hands out nothing
    std::memcpy(Block, Other.Block, Size);
    // The records point into their own block: rebase every link onto the copy.
    FItem* Items = static_cast<FItem*>(Block);
    const FItem* OtherItems = static_cast<const FItem*>(Other.Block);
    tvWChar* Buffers = reinterpret_cast<tvWChar*>(Items + Count);
    for (std::size_t i = 0; i < Count; ++i) {
        Items[i].Self = &Items[i];
        Items[i].Buffer = Buffers + i * std::size_t(ItemLength);
        Items[i].Next = OtherItems[i].Next ? &Items[OtherItems[i].Next - OtherItems] : nullptr;
        Items[i].Pool = this;
    }
    FreeList = Other.FreeList ? &Items[Other.FreeList - OtherItems] : nullptr;
}

std::size_t FStringDataPool::ItemCount() const
{
    if (!Block)
        return 0;
    const FItem* Items = static_cast<const FItem*>(Block);
    return std::size_t(reinterpret_cast<const char*>(Items[0].Buffer) - static_cast<const char*>(Block)) / sizeof(FItem);
}

tvWChar* FStringDataPool::Lock(int Length)
{
    if (!FreeList || Length > ItemLength)
        return nullptr;
    FItem* Item = FreeList;
    FreeList = Item->Next;
    Item->Next = nullptr;
    return Item->Buffer;
}

FStringDataPool::FItem* FStringDataPool::ItemOf(const tvWChar* Buffer) const
{
    if (!Block || !Buffer)
        return nullptr;
    FItem* Items = static_cast<FItem*>(Block);
    const tvWChar* First = Items[0].Buffer;
    const std::size_t Count = ItemCount();
    if (Buffer < First)
        return nullptr;
    const std::size_t Offset = std::size_t(Buffer - First);
    if (Offset % std::size_t(ItemLength) != 0 || Offset / std::size_t(ItemLength) >= Count)
        return nullptr;
    return &Items[Offset / std::size_t(ItemLength)];
}

void FStringDataPool::Unlock(const tvWChar* Buffer)
{
    FItem* Item = ItemOf(Buffer);
    if (!Item)
        return;  // null, or not a buffer of this pool
    for (const FItem* Free = FreeList; Free; Free = Free->Next)
        if (Free == Item)
            return;  // already free: a second Unlock would tie the free list into a loop
    Item->Next = FreeList;
    FreeList = Item;
}

} // namespace Tolvane
