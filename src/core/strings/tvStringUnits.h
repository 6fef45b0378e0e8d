// Small pieces shared by the FString sources: the longest length a buffer can hold, the
// length of a caller's text, and moving code units.
#pragma once

#include "core/strings/tvWideRuntime.h"
#include "tvCore/core/strings/tvString.h"

#include <climits>
#include <cstring>

namespace Tolvane {
namespace StringUnits {

// The largest length whose block size still fits the allocator's 32-bit size argument.
constexpr int GMaxLength = int((UINT_MAX - sizeof(FStringData)) / sizeof(tvWChar) - 1);

// Units before the first 0 of a caller's text (null counts as ""), never past GMaxLength.
inline int TextLength(const tvWChar* Text)
{
    return Text ? int(Wide::LengthBounded(Text, std::size_t(GMaxLength))) : 0;
}

// Moves Count units; the ranges may overlap. Nothing for a count below 1.
inline void MoveUnits(tvWChar* Dest, const tvWChar* Source, long long Count)
{
    if (Count > 0)
        std::memmove(Dest, Source, std::size_t(Count) * sizeof(tvWChar));
}

} // namespace StringUnits
} // namespace Tolvane
