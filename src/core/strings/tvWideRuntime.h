// The library's own UTF-16 runtime: the few C-runtime text functions the library needs, on
// tvWChar code units, with the behaviour of the Windows runtime in its default "C" locale
// (only A-Z and a-z change case). The C library's wchar_t functions are 4-byte on POSIX and
// are poisoned in library code; these take their place.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Wide {

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

// --- Numbers (exact wcstol / wcstoul / wcstod / _wtoi / _wtof semantics) ----------------------
// End, when not null, receives the first unit after the number (Text itself when none).
// Leading white space is the IsSpace set. Digits are ASCII, plus the Unicode decimal digit
// blocks the Windows runtime accepts (Arabic-Indic, Devanagari, ..., fullwidth); letters for
// bases above 10 are ASCII only. A base outside 0 and 2-36 gives 0 with End = Text. Overflow
// saturates and sets errno to ERANGE, a bad base sets EINVAL.
tvLong ToLong(const tvWChar* Text, const tvWChar** End, int Base);      // wcstol: 32-bit, saturates
tvULong ToULong(const tvWChar* Text, const tvWChar** End, int Base);    // wcstoul
double ToDouble(const tvWChar* Text, const tvWChar** End);               // wcstod
int AtoI(const tvWChar* Text);        // _wtoi: base 10, saturates at INT_MIN / INT_MAX
double AtoF(const tvWChar* Text);     // _wtof: ToDouble without an end; +-HUGE_VAL on overflow
// The value of one digit for number parsing (ASCII or a Unicode decimal digit), -1 when none.
int DecimalDigitValue(tvWChar C);

// --- Formatting ------------------------------------------------------------------------------
// The library's one wide formatter, with the Windows runtime's conventions for a wide format
// (%s and %c wide, %S/%hs/%hc narrow, %ls/%lc wide, flags, width, precision, '*', h l ll I32
// I64). Writes at most Capacity - 1 units and a terminator (when Capacity > 0), never more.
// Returns the length the whole output needs, without the terminator, as C99's vsnprintf does,
// or -1 for a format it cannot follow (nothing beyond the terminator is then promised).
int FormatV(tvWChar* Dest, std::size_t Capacity, const tvWChar* Format, va_list Args);
int Format(tvWChar* Dest, std::size_t Capacity, const tvWChar* Format, ...);

} // namespace Wide
} // namespace Tolvane
