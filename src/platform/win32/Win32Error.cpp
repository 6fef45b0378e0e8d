// The seam's per-thread reason for the last failure, on Windows: GetLastError values.
#include "base/tvPrelude.h"
#include "platform/tvPlatformError.h"
#include "platform/win32/Win32Api.h"

namespace Tolvane {
namespace Platform {

namespace {
thread_local int GLastError = 0;
}

int LastError() { return GLastError; }
void SetLastError(int Code) { GLastError = Code; }

int RecordSystemError()
{
    GLastError = static_cast<int>(::GetLastError());
    return GLastError;
}

} // namespace Platform
} // namespace Tolvane
