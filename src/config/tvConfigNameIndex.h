// A hash from name index to object beside a TNamedPtrArray: the array keeps the order, this
// finds a name in constant time. Names are only ever added, never removed, like the pairs of
// a configuration file.
#pragma once

#include "tvCore/core/tvBase.h"
#include "tvCore/core/strings/tvNameHash.h"

namespace Tolvane {

class FConfigNameIndex : public FFundament {
public:
    FConfigNameIndex() = default;
    ~FConfigNameIndex();
    FConfigNameIndex(const FConfigNameIndex&) = delete;
    FConfigNameIndex& operator=(const FConfigNameIndex&) = delete;

    // The object recorded for Name, or null.
    void* Find(tvULong Name) const;
    // Records Object for Name (the first record of a name wins). False when memory is refused;
    // the index is then useless and the caller searches its array instead.
    bool Add(tvULong Name, void* Object);

private:
    struct FSlot {
        tvULong Name;
        void* Object;
    };
    bool Grow();

    FSlot* Slots = nullptr;
    std::uint32_t Capacity = 0;  // a power of two, or 0
    std::uint32_t Count = 0;
};

} // namespace Tolvane
