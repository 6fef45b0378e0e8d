// The seconds clock behind appGetHightSystemTime, for the library's own callers: a direct call
// (not through the exported symbol), so the allocator's timing costs no more than the clock.
#pragma once

namespace Tolvane {

// Seconds since the clock's first reading (which it sets), never decreasing.
double HighSystemTime();

} // namespace Tolvane
