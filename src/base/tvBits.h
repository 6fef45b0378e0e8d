// Bit helpers on 32-bit values.
#pragma once

#include "base/tvCompiler.h"

#include <cstdint>

namespace Tolvane {
namespace Bits {

// The number of bits needed to write Value: 0 for 0, 1 for 1, 32 for values from 2^31 on.
inline unsigned BitLength(std::uint32_t Value)
{
    return Value == 0 ? 0u : 32u - TVCORE_COUNT_LEADING_ZEROS_32(Value);
}

// Whether Value is a power of two (0 is not).
constexpr bool IsPowerOfTwo(std::uint32_t Value) { return Value != 0 && (Value & (Value - 1)) == 0; }

} // namespace Bits
} // namespace Tolvane
