// Path rules that differ between platforms where the library decides something by a
// separator itself (the IMG archive's prefix length and lookup keys). On Windows only '\'
// separates; on POSIX '/' does as well.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// Whether '/' counts as a path separator beside '\'.
bool SlashIsSeparator();

} // namespace Platform
} // namespace Tolvane
