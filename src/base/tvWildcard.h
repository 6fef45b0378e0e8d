// Wildcard matching of file names, as a directory search does it.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

namespace Tolvane {
namespace Wildcard {
TVCORE_INTERNAL_BEGIN

// '*' matches any run, '?' one unit; case is folded as the "C" locale does (A-Z only). Runs in
// time proportional to the lengths' product at worst, with one backtracking point, so no
// pattern can make it run away.
bool Match(const tvWChar* Pattern, const tvWChar* Name);
// Match with the directory-search rule on top: a pattern ending in ".*" also matches names
// without a dot ("*.*" matches every name, "a.*" matches "a").
bool MatchFileName(const tvWChar* Pattern, const tvWChar* Name);
// Whether the text holds '*' or '?'.
bool HasWildcard(const tvWChar* Text);

TVCORE_INTERNAL_END
} // namespace Wildcard
} // namespace Tolvane
