// The stateless part of the library's UTF-16 runtime: the few C-runtime text functions every
// layer needs, on tvWChar code units, with the behaviour of the Windows runtime in its default
// "C" locale (only A-Z and a-z change case). The C library's wchar_t functions are 4-byte on
// POSIX and are poisoned in library code; these take their place. Number parsing and the
// formatter, which need the platform's number text and code pages, live above the platform
// seam in core/strings/tvWideRuntime.h.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

namespace Tolvane {
namespace Wide {
TVCORE_INTERNAL_BEGIN

// --- Length, copy, compare --------------------------------------------------------------------
std::size_t Length(const tvWChar* Text);                            // wcslen
std::size_t LengthBounded(const tvWChar* Text, std::size_t Max);    // wcsnlen
tvWChar* Copy(tvWChar* Dest, const tvWChar* Source);                // wcscpy
// Copies at most Capacity - 1 units and always terminates (when Capacity > 0); returns the
// units copied. Never writes past Dest[Capacity - 1].
std::size_t CopyBounded(tvWChar* Dest, std::size_t Capacity, const tvWChar* Source);
int Compare(const tvWChar* A, const tvWChar* B);                    // wcscmp: <0, 0, >0
int CompareN(const tvWChar* A, const tvWChar* B, std::size_t Count);
int CompareNoCase(const tvWChar* A, const tvWChar* B);              // _wcsicmp, "C" locale
int CompareNoCaseN(const tvWChar* A, const tvWChar* B, std::size_t Count);
const tvWChar* FindChar(const tvWChar* Text, tvWChar Char);         // wcschr
const tvWChar* FindString(const tvWChar* Text, const tvWChar* Sub); // wcsstr

// --- Character classes and case ("C" locale) ----------------------------------------------------
inline tvWChar ToUpper(tvWChar C) { return (C >= u'a' && C <= u'z') ? tvWChar(C - 32) : C; }
inline tvWChar ToLower(tvWChar C) { return (C >= u'A' && C <= u'Z') ? tvWChar(C + 32) : C; }
// iswspace in the "C" locale: tab, line feed, vertical tab, form feed, carriage return, space.
inline bool IsSpace(tvWChar C) { return C == u' ' || (C >= 0x09 && C <= 0x0D); }
inline bool IsDigit(tvWChar C) { return C >= u'0' && C <= u'9'; }

TVCORE_INTERNAL_END
} // namespace Wide
} // namespace Tolvane
