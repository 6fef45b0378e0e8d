// The seam's per-thread reason for the last failure, on POSIX: errno values.
#include "base/tvPrelude.h"
#include "platform/tvPlatformError.h"

#include <cerrno>

namespace Tolvane {
namespace Platform {

namespace {
thread_local int GLastError = 0;
}

int LastError() { return GLastError; }
void SetLastError(int Code) { GLastError = Code; }

int RecordSystemError()
{
    GLastError = errno;
    return GLastError;
}

} // namespace Platform
} // namespace Tolvane
