// FStringDataPool: a fixed pool of equal-sized character buffers in one block, handed out
// and taken back in last-in, first-out order. Unsynchronised; offered to callers.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

class TVCORE_API FStringDataPool {
public:
    FStringDataPool(int ItemLength, int Count);
    ~FStringDataPool();
    // A copy gets a block of its own with the same buffers, contents and free items, so each
    // pool frees only its own block.
    FStringDataPool(const FStringDataPool& Other);
    FStringDataPool& operator=(const FStringDataPool& Other);

    tvWChar* Lock(int Length);         // null when none is free or Length > the item length
    void Unlock(const tvWChar* Buffer);
    int GetItemLen() const { return ItemLength; }

    static void StaticInit() {}
    static void StaticExit() {}

private:
    // One record per buffer; a buffer's record is found from the buffer itself.
    struct FItem {
        FItem* Self;
        tvWChar* Buffer;
        FItem* Next;  // null for the last free item and while handed out
        FStringDataPool* Pool;
    };

    FItem* FreeList = nullptr;
    void* Block = nullptr;
    int ItemLength = 0;

    FItem* ItemOf(const tvWChar* Buffer) const;  // null for a pointer that is not one of ours
    std::size_t ItemCount() const;                // records in the block, 0 without one
    void CopyFrom(const FStringDataPool& Other);  // the block must be freed first
};

} // namespace Tolvane
