// Thread identity on POSIX.
#include "platform/tvPlatform.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace Tolvane {
namespace Platform {

tvULong CurrentThreadId()
{
    // The kernel thread id: unique among live threads of the system and 32 bits wide.
    static thread_local tvULong Cached = static_cast<tvULong>(syscall(SYS_gettid));
    return Cached;
}

} // namespace Platform
} // namespace Tolvane
