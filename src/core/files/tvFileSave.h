// Whole-file saves of one buffer that never leave a damaged file behind: an FReplacingWriter
// with plain paths (tvReplacingWriter.h) writes the bytes beside the target, flushes them, and
// only a save that reported no failure replaces the target.
#pragma once

#include "base/tvCompiler.h"
#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// Writes Size bytes of Data as the whole new content of Path. With ThroughFileManager the
// writer comes from GFileManager, whose package mode is 4 (plain paths as given) while the
// writer is made, then restored; otherwise from the native file manager. 1 when every byte was
// written, flushed and the file put in Path's place (FReplacingWriter::Commit); 0 otherwise (no
// manager (when one is asked for), no writer, a write, flush or close that failed, a failed
// replacement): the temporary file "<Path>.tvsave" is then removed and an existing Path is
// untouched.
TVCORE_INTERNAL int appSaveFileReplacing(const tvWChar* Path, const void* Data, tvULong Size, int ThroughFileManager = 1);

} // namespace Tolvane
