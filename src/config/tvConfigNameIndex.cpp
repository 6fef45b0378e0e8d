// Open addressing with linear probing; the table is at most half full.
#include "base/tvPrelude.h"

#include "config/tvConfigNameIndex.h"

#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"

namespace Tolvane {

namespace {
// Name indices are small consecutive integers; a multiplicative hash spreads them.
inline std::uint32_t SlotOf(tvULong Name, std::uint32_t Capacity)
{
    return (static_cast<std::uint32_t>(Name) * 2654435761u) & (Capacity - 1);
}
} // namespace

FConfigNameIndex::~FConfigNameIndex()
{
    if (Slots)
        GMalloc->Free(Slots);
}

void* FConfigNameIndex::Find(tvULong Name) const
{
    if (!Capacity || Name == NAME_NONE_INDEX)
        return nullptr;
    for (std::uint32_t Slot = SlotOf(Name, Capacity);; Slot = (Slot + 1) & (Capacity - 1)) {
        if (Slots[Slot].Name == Name)
            return Slots[Slot].Object;
        if (Slots[Slot].Name == NAME_NONE_INDEX)
            return nullptr;
    }
}

bool FConfigNameIndex::Grow()
{
    const std::uint32_t NewCapacity = Capacity ? Capacity * 2 : 16;
    if (NewCapacity == 0 || NewCapacity > 0x10000000u)
        return false;
    FSlot* NewSlots = static_cast<FSlot*>(GMalloc->Malloc(NewCapacity * static_cast<unsigned>(sizeof(FSlot))));
    if (!NewSlots)
        return false;
    for (std::uint32_t i = 0; i < NewCapacity; ++i)
        NewSlots[i] = FSlot{NAME_NONE_INDEX, nullptr};
    for (std::uint32_t i = 0; i < Capacity; ++i) {
        if (Slots[i].Name == NAME_NONE_INDEX)
            continue;
        std::uint32_t Slot = SlotOf(Slots[i].Name, NewCapacity);
        while (NewSlots[Slot].Name != NAME_NONE_INDEX)
            Slot = (Slot + 1) & (NewCapacity - 1);
        NewSlots[Slot] = Slots[i];
    }
    if (Slots)
        GMalloc->Free(Slots);
    Slots = NewSlots;
    Capacity = NewCapacity;
    return true;
}

bool FConfigNameIndex::Add(tvULong Name, void* Object)
{
    if (Name == NAME_NONE_INDEX)
        return false;
    if ((Count + 1) * 2 > Capacity && !Grow())
        return false;
    std::uint32_t Slot = SlotOf(Name, Capacity);
    while (Slots[Slot].Name != NAME_NONE_INDEX) {
        if (Slots[Slot].Name == Name)
            return true;
        Slot = (Slot + 1) & (Capacity - 1);
    }
    Slots[Slot] = FSlot{Name, Object};
    ++Count;
    return true;
}

} // namespace Tolvane
