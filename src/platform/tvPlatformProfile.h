// Initialisation-file values at the platform seam: the stand-in for GetPrivateProfileStringW,
// with the rules a user's settings file relies on.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

namespace Tolvane {
namespace Platform {

// Reads the value of Key in Section of the file FileName into Out (Capacity units with the
// terminator) and returns the units written without the terminator.
// - Section and key names match ignoring case (A-Z and a-z); blanks around names and values
//   are dropped, and one pair of matching quotes ('...' or "...") around a value is removed.
// - Lines whose first non-blank character is ';' are comments.
// - When the file, the section or the key is missing, Default (null counts as empty, its
//   trailing blanks dropped) is written instead.
// - A value longer than Capacity - 1 units comes back cut to Capacity - 1 units and that
//   count is returned. A Capacity of 0 writes nothing and returns 0.
// - A file that starts with the byte-order mark FF FE is UTF-16LE; one that starts with
//   EF BB BF, or whose bytes are valid UTF-8, is UTF-8; any other is in the ANSI code page.
// - A null Section or Key (the enumeration forms of the system call) gives the default.
TVCORE_INTERNAL tvULong ProfileGetString(const tvWChar* Section, const tvWChar* Key, const tvWChar* Default, tvWChar* Out,
                         tvULong Capacity, const tvWChar* FileName);

} // namespace Platform
} // namespace Tolvane
