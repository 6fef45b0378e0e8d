// FStringDataPool: Count item records followed directly by Count buffers of ItemLength units,
// all in one GMalloc block. The record count is not stored: the first record's buffer starts
// right after the last record, which gives it back.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvStringDataPool.h"

#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"

#include <climits>

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

FStringDataPool& FStringDataPool::operator=(const FStringDataPool& Other)
{
    FreeList = Other.FreeList;
    Block = Other.Block;
    ItemLength = Other.ItemLength;
    return *this;
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
    const std::size_t Count = std::size_t(reinterpret_cast<const char*>(First) - static_cast<const char*>(Block)) / sizeof(FItem);
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
