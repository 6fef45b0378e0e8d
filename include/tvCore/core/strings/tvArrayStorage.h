// The untyped half of TArray: its four fields and the byte-level storage rules (growth step,
// allocation, size limits) that every instantiation shares. TArray adds the element rules.
#pragma once

#include "tvCore/core/tvGlobals.h"

#include <cstring>

namespace Tolvane {

class TVCORE_API FArrayStorage {
public:
    int Num() const { return Count; }
    int GetCount() const { return Count; }
    int GetSize() const { return Count; }
    int GetCapacity() const { return Capacity; }
    int GetGrowBy() const { return GrowBy; }
    bool IsValidIndex(int Index) const
    {
        return static_cast<unsigned>(Index) < static_cast<unsigned>(Count);
    }

    // Elements added when full storage must grow: GrowBy when it is set, otherwise the
    // automatic step OldCount * 3 / 8 + 32 kept within 4 to 1024.
    static int GrowthStep(int OldCount, int GrowBy);
    // The most elements of ElementSize bytes one block can hold: the count is a 32-bit int and
    // the allocator takes a 32-bit byte size, so capacity * ElementSize never overflows.
    static int MaxElements(std::size_t ElementSize);

protected:
    FArrayStorage() = default;
    FArrayStorage(const FArrayStorage&) = delete;
    FArrayStorage& operator=(const FArrayStorage&) = delete;
    ~FArrayStorage()
    {
        if (Data)
            GMalloc->Free(Data);
    }

    // Makes the storage hold at least NewSize elements. Without storage the block holds
    // max(NewSize, GrowBy) elements and is zeroed whole; full storage grows to
    // max(NewSize, Capacity + GrowthStep) and keeps its bytes. The count is unchanged and no
    // slot beyond it is prepared. When the allocator refuses the preferred size, exactly
    // NewSize is tried. Returns 0, changing nothing, when NewSize is out of range or memory is
    // refused.
    int GrowTo(std::int64_t NewSize, std::size_t ElementSize);
    // Makes the capacity at least NewCapacity, exactly that when it grows; the slots from the
    // count on are zero afterwards. Returns 0, changing nothing, when NewCapacity is out of
    // range or memory is refused.
    int ReserveExactly(std::int64_t NewCapacity, std::size_t ElementSize);
    // Gives the block back: data null, count and capacity 0; grow-by stays.
    void ReleaseStorage();
    // Zeroes Number slots from From. Out of line on purpose: an element type's constructor
    // that runs right after it must find the zero bytes, and an inlined memset in front of an
    // inlined constructor is a store the optimiser may treat as dead.
    void ZeroSlots(int From, int Number, std::size_t ElementSize) const;

    void* Slot(int Index, std::size_t ElementSize) const
    {
        return static_cast<unsigned char*>(Data) + static_cast<std::size_t>(Index) * ElementSize;
    }
    // Moves Number elements from index From to index To as raw bytes (the ranges may overlap).
    void MoveSlots(int To, int From, int Number, std::size_t ElementSize) const
    {
        if (Number > 0)
            std::memmove(Slot(To, ElementSize), Slot(From, ElementSize),
                         static_cast<std::size_t>(Number) * ElementSize);
    }
    // Index of the live element that Address points into, or -1 when it lies outside them.
    int IndexOfAddress(const void* Address, std::size_t ElementSize) const
    {
        const std::uintptr_t At = reinterpret_cast<std::uintptr_t>(Address);
        const std::uintptr_t Begin = reinterpret_cast<std::uintptr_t>(Data);
        if (!Data || At < Begin || At >= Begin + static_cast<std::size_t>(Count) * ElementSize)
            return -1;
        return static_cast<int>((At - Begin) / ElementSize);
    }
    // Takes over another array's fields and leaves it with all four 0.
    void TakeFields(FArrayStorage& Other)
    {
        Data = Other.Data;
        Count = Other.Count;
        Capacity = Other.Capacity;
        GrowBy = Other.GrowBy;
        Other.Data = nullptr;
        Other.Count = Other.Capacity = Other.GrowBy = 0;
    }

    void* Data = nullptr;  // first element; null while there is no storage
    int Count = 0;         // elements in use
    int Capacity = 0;      // elements the storage holds
    int GrowBy = 0;        // elements added per growth; 0 selects the automatic step
};

} // namespace Tolvane
