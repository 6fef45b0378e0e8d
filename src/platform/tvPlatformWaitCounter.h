// The platform seam for wait counters: a number that threads of one process advance and wait
// on to change. A waiter reads the value (usually while it holds the lock that guards what it
// waits for), releases that lock and waits until the value differs from what it read: an
// advance that comes in between is never missed.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

#include <cstddef>

namespace Tolvane {
namespace Platform {
TVCORE_INTERNAL_BEGIN

// A counter lives in caller storage of GWaitCounterStorageBytes bytes aligned to
// GWaitCounterStorageAlign. Init before any other call; Delete once, when no thread uses it.
constexpr std::size_t GWaitCounterStorageBytes = 128;
constexpr std::size_t GWaitCounterStorageAlign = 8;
void WaitCounterInit(void* Storage);
void WaitCounterDelete(void* Storage);
// The current value.
tvULong WaitCounterValue(void* Storage);
// Adds 1 (wrapping) and wakes every waiter.
void WaitCounterAdvance(void* Storage);
// Waits until the value differs from Seen, at most Milliseconds (GInfiniteWait of
// tvPlatformThread.h: without limit). True when it differs.
bool WaitCounterWait(void* Storage, tvULong Seen, tvULong Milliseconds);

TVCORE_INTERNAL_END
} // namespace Platform
} // namespace Tolvane
