// Replacing a file as a whole: a writer that must never leave a half-written file writes a
// temporary file beside the target, then hands both here. Paths are library text (UTF-16, '\'
// or '/' as separators).
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// Makes the bytes of Temporary durable (they reach the disk, not only the system's cache), then
// puts Temporary in Target's place in one step: a reader sees either the old Target or the
// whole new one, never a mixture, and an existing Target is replaced even when it is
// read-only (as a writer that clears the attribute first would). False when any step fails;
// Temporary and Target are then as they were.
bool FileReplace(const tvWChar* Temporary, const tvWChar* Target);

} // namespace Platform
} // namespace Tolvane
