// Parsing one-line textual commands: a command word, then parameters separated by single
// spaces, each parameter a key that carries its own separator ("-name=") and a value that runs
// to the next space, or between double quotes.
#pragma once

#include "tvCore/core/strings/tvString.h"

namespace Tolvane {

// Splits Line at its first space: Command gets the text before it, Rest everything after it
// (untrimmed; left as it was when nothing follows the space). Command is emptied first.
// Returns 0, with Rest unchanged, for an empty line or one that starts with a space.
TVCORE_API int parse_command(FString& Line, FString& Command, FString& Rest);
// Finds the first occurrence of Key; it counts only after a space (never at the start of the
// line). The value starts right after the key and runs to the next space, or, when it starts
// with a double quote, from after that quote to the next one; without a closing character, to
// the end of the line. Returns 1 with Value set (possibly empty), or 0 with Value unchanged.
TVCORE_API int parse_param(FString& Line, const FString& Key, FString& Value);
// The same, then the value read as _wtoi reads it; Value is written only when found.
TVCORE_API int parse_param(FString& Line, const FString& Key, int& Value);
// The same, with the value read as _wtof reads it (+-infinity beyond the float range).
TVCORE_API int parse_param(FString& Line, const FString& Key, float& Value);
// The same, true for a nonzero _wtoi value.
TVCORE_API int parse_param(FString& Line, const FString& Key, bool& Value);

} // namespace Tolvane
