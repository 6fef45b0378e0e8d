// The POSIX side of injected system-call failures: asks whether a use of a call is to fail and
// then leaves the armed reason in errno, as the failing system call would.
#pragma once

#include "base/tvFaultInjection.h"

#include <cerrno>

namespace Tolvane {
namespace Platform {

// Whether a test made this use of Call fail; errno then holds the reason.
inline bool Injected(Faults::ESystemCall Call)
{
    int Error = 0;
    if (Faults::Check(Call, Error) == Faults::EOutcome::Proceed)
        return false;
    errno = Error;
    return true;
}

} // namespace Platform
} // namespace Tolvane
