// Arrays of strings: an FString's zero bytes are not a valid string (it never holds null), so
// every new element of a TArray<FString> is constructed empty after the zeroing, and every
// dropped one is released.
#pragma once

#include "tvCore/core/strings/tvArray.h"
#include "tvCore/core/strings/tvString.h"

namespace Tolvane {

template <>
struct TArrayElementTraits<FString> : TArrayConstructedElements<FString> {};

} // namespace Tolvane
