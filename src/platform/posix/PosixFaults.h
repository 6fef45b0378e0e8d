// The POSIX side of injected system-call failures: asks whether a use of a call is to fail and
// then leaves the armed reason where a failing system call leaves it: errno, and the seam's
// per-thread last error.
#pragma once

#include "base/tvFaultInjection.h"
#include "platform/tvPlatformError.h"

#include <cerrno>

namespace Tolvane {
namespace Platform {

// Whether a test made this use of Call fail (or end the process there); errno and LastError
// then hold the armed reason (EIO when none was given).
inline bool Injected(Faults::ESystemCall Call)
{
    int Error = 0;
    if (Faults::Check(Call, Error) == Faults::EOutcome::Proceed)
        return false;
    errno = Error ? Error : EIO;
    SetLastError(errno);
    return true;
}

} // namespace Platform
} // namespace Tolvane
