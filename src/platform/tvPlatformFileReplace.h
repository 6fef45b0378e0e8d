// Replacing a file as a whole at the platform seam: a new version is written beside the old
// one, made durable, and then takes the old one's name in one step, so that at every instant
// the name holds either the old file or the new one, complete. Paths are library text (UTF-16,
// '\' or '/' as separators), as in tvPlatformFiles.h.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

namespace Tolvane {
namespace Platform {

// Writes the file's data and size through to the storage device. False when the file cannot
// be opened or the system reports a failure.
TVCORE_INTERNAL bool FileSync(const tvWChar* Path);

// Puts From in the place of To: From's data is made durable first, then From is renamed over
// To in one step (To need not exist; an existing To is replaced whatever its read-only
// attribute), and then the directory entry is made durable. The reason for a failure is
// recorded (LastError). From and To must be on one
// volume. False when any step fails; when the rename itself failed, To is unchanged and From
// is still in place.
//   POSIX: fsync(From), rename(From, To), fsync of To's directory.
//   Windows: FlushFileBuffers, MoveFileExW(REPLACE_EXISTING | WRITE_THROUGH).
TVCORE_INTERNAL bool FileReplace(const tvWChar* From, const tvWChar* To);

} // namespace Platform
} // namespace Tolvane
