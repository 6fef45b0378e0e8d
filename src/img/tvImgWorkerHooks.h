// A test's view into the IMG worker's one race window: the moment after it has found nothing
// pending, cleared its running flag and released the async lock, and before it suspends
// itself. A request sent then must still be served. Null (nothing called) in a normal run.
#pragma once

#include "base/tvCompiler.h"

#include <atomic>

namespace Tolvane {

typedef void (*FImgWorkerHook)();
TVCORE_INTERNAL extern std::atomic<FImgWorkerHook> GImgWorkerGoingIdle;

} // namespace Tolvane
