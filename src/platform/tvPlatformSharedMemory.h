// The platform seam for named shared memory: blocks of memory that every process opening the
// same name sees, as file mappings on the paging file give them.
//
// - The first process to open a name fixes the block's size; a later open of the same name, in
//   any process, maps the existing block at that size, whatever size it asks for.
// - A block lives as long as somebody has it open. When its last user closes it, or ends in any
//   way (a crash included), it is gone: the next open makes a fresh, zero-filled block of the
//   size it asks for, never one left over from an earlier run.
// Names are case-sensitive, as the system's object names are; any text can be a name.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

struct FSharedMemoryView {
    void* Data = nullptr;   // the mapped bytes
    std::uint32_t Size = 0; // the block's size (the first opener's)
};

// Opens the block called Name, creating it with Size bytes when nobody has it open. Null (and
// an empty View) when it cannot be opened or mapped, or for a null name or a zero size.
tvHandle SharedMemoryOpen(const tvWChar* Name, std::uint32_t Size, FSharedMemoryView& View);
// Pushes writes through the view to the block for other processes (they see them at once where
// the system shares pages; this orders them with the caller's later calls).
void SharedMemoryFlush(tvHandle Block, const FSharedMemoryView& View);
// Unmaps and closes; the block ends with its last user. Null is ignored.
void SharedMemoryClose(tvHandle Block, FSharedMemoryView& View);

} // namespace Platform
} // namespace Tolvane
