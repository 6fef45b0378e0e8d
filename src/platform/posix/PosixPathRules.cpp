// Path rules on POSIX: '/' is the system's own separator, so it separates as '\' does.
#include "base/tvPrelude.h"
#include "platform/tvPlatformPathRules.h"

namespace Tolvane {
namespace Platform {

bool SlashIsSeparator() { return true; }

} // namespace Platform
} // namespace Tolvane
