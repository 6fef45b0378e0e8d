// The one place where the library's own lines for the log are written (for now, the process
// search's lines). Until the log exists the lines are formatted and dropped; when it arrives,
// this function hands them to it and every caller logs without change.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// Writes one log line in the category "Log": Format with the library's wide formatter,
// cut to the log's 2047 characters.
void appLogLine(const tvWChar* Format, ...);

} // namespace Tolvane
