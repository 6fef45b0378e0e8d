// Small text utilities on caller-owned, zero-terminated wide buffers: numbers from text,
// trimming blanks, raw text into an archive, and a path's extension.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

class FArchive;

// Skips leading spaces and tabs, then reads a number in base 16 after "0x" or "0X", else in
// base 10, with the runtime's wcstol rules (sign, saturation at the 32-bit limits, the number
// ends at the first unit that cannot continue it). A sign before "0x" is read in base 10, so
// "-0x10" is 0. Null or no number gives 0.
TVCORE_API int appStrToInt(const tvWChar* Text);
// The runtime's wcstod of the text as a float; beyond the float range +-infinity. Null gives 0.
TVCORE_API float appStrToFloat(const tvWChar* Text);
// Moves Text forward over spaces and tabs (never past the terminator); the text is unchanged.
TVCORE_API void appStrTrimLeft(tvWChar*& Text);
// Writes 0 over trailing spaces and tabs; the first character is never removed.
TVCORE_API void appStrTrimRight(tvWChar* Text);
// Writes Count (negative: the characters before the first 0) as 4 bytes, then 2 x Count bytes
// of Text, through the archive's Serialize: the stored form of a string. A null Text is
// written as the empty string. A loading archive is refused (its error flag is set, nothing is
// read into the text). Returns Ar.
TVCORE_API FArchive& appStrSaveToStream(FArchive& Ar, const tvWChar* Text, int Count);
// The extension of a path, without its dot: a pointer into Path. The search starts after the
// first ':' and moves past the last '/'; with no '.' after that, the file name part is
// returned. '\' is not a separator here. Null gives null.
TVCORE_API const tvWChar* appFExt(const tvWChar* Path);

} // namespace Tolvane
