// Whole-file saves that never leave a damaged file behind: the bytes go to a temporary file
// beside the target through GFileManager (plain paths), are flushed, and only a save that
// reported no failure replaces the target.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// The suffix of the temporary file a save writes beside its target.
constexpr const tvWChar* GSaveTemporarySuffix = TVTEXT(".tvsave~");

// Writes Size bytes of Data as the whole new content of Path. With ThroughFileManager the
// writer comes from GFileManager, whose package mode is 4 (plain paths as given) while the
// writer is made, then restored; otherwise from the native file manager. 1 when every byte was
// written, flushed and the file put in Path's place; 0 otherwise (no manager (when one is asked for), no writer, a
// write, flush or close that failed, a failed replacement): the temporary file is then removed
// and an existing Path is untouched.
int appSaveFileReplacing(const tvWChar* Path, const void* Data, tvULong Size, int ThroughFileManager = 1);

} // namespace Tolvane
