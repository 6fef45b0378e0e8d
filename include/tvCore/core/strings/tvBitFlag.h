// FBitFlag: a set of 32 flags in one unsigned 32-bit value. Archives store it as its 4 bytes.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

class TVCORE_API FBitFlag {
public:
    FBitFlag(tvULong InValue = 0) : Value(InValue) {}
    FBitFlag(const FBitFlag&) = default;
    FBitFlag& operator=(const FBitFlag&) = default;
    FBitFlag& operator=(const tvULong& InValue)
    {
        Value = InValue;
        return *this;
    }

    void SetValue(tvULong InValue) { Value = InValue; }
    tvULong GetValue() const { return Value; }

    void SetFlag(tvULong Mask) { Value |= Mask; }
    void ClearFlag(tvULong Mask) { Value &= ~Mask; }
    // 1 when any bit of Mask is set (so an empty mask gives 0).
    int HasFlag(tvULong Mask) const { return (Value & Mask) != 0 ? 1 : 0; }
    // Sets the bits of Mask when On is nonzero, clears them otherwise.
    void ToggleFlagBy(tvULong Mask, int On)
    {
        if (On)
            SetFlag(Mask);
        else
            ClearFlag(Mask);
    }

private:
    tvULong Value;
};

static_assert(sizeof(FBitFlag) == 4, "FBitFlag is its 32-bit value");

} // namespace Tolvane
