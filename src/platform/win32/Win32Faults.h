// The Windows side of injected system-call failures: asks whether a use of a call is to fail and
// then leaves the armed reason where a failing system call leaves it: the thread's last error,
// and the seam's per-thread last error.
#pragma once

#include "base/tvFaultInjection.h"
#include "platform/tvPlatformError.h"
#include "platform/win32/Win32Api.h"

namespace Tolvane {
namespace Platform {

// Whether a test made this use of Call fail (or end the process there); GetLastError and
// LastError then hold the armed reason (ERROR_GEN_FAILURE when none was given).
inline bool Injected(Faults::ESystemCall Call)
{
    int Error = 0;
    if (Faults::Check(Call, Error) == Faults::EOutcome::Proceed)
        return false;
    const int Code = Error ? Error : ERROR_GEN_FAILURE;
    ::SetLastError(static_cast<DWORD>(Code));
    SetLastError(Code);
    return true;
}

} // namespace Platform
} // namespace Tolvane
