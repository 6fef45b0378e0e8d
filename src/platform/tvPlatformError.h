// The platform seam's reason for the last failure: each service records the system's error code
// of a call that failed, per thread, so that the layers above can say why when they need to.
// It is read, never cleared, by success: test it only right after a call that reported failure.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

namespace Tolvane {
namespace Platform {

// The system error code of the calling thread's last failed seam call (errno values on POSIX,
// GetLastError values on Windows); 0 when none failed yet.
TVCORE_INTERNAL int LastError();
// Records Code as the calling thread's last error; the services call it where they fail.
void SetLastError(int Code);
// Records the system's own current error code (errno, GetLastError) and returns it.
int RecordSystemError();

} // namespace Platform
} // namespace Tolvane
