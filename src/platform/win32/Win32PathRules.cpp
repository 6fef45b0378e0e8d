// Path rules on Windows: only '\' separates where the library decides by a separator itself.
#include "base/tvPrelude.h"
#include "platform/tvPlatformPathRules.h"

namespace Tolvane {
namespace Platform {

bool SlashIsSeparator() { return false; }

} // namespace Platform
} // namespace Tolvane
