// The CRC-32 that zip members carry (the zlib convention: pass 0 to start, the last result to
// continue), computed with carry-less multiplication where the processor has it, so checking a
// large member costs little beside inflating it.
#pragma once

#include "base/tvCompiler.h"

#include <cstddef>
#include <cstdint>

namespace Tolvane {

TVCORE_INTERNAL std::uint32_t ZipCrc32(std::uint32_t Crc, const void* Data, std::size_t Length);

} // namespace Tolvane
