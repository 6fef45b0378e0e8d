// Replacing a file as a whole at the platform seam: a complete new file, written beside the old
// one, takes the old one's place in one step, so a reader (or a crash) sees either the old
// contents or the new ones, never a mix or a half-written file.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// Forces the bytes of the file From to the disk, then puts it in the place of To (created, or
// replaced when it exists, read-only or not) in one step, and makes the change itself durable.
// From and To must lie on one volume (a name beside To is the way to be sure). False when
// From is missing or not a plain file, To is a directory, or the system refuses; nothing has
// changed then: From and an existing To are as they were, and the reason is recorded
// (LastError).
bool FileReplace(const tvWChar* From, const tvWChar* To);

} // namespace Platform
} // namespace Tolvane
