// The library's own UTF-16 runtime above the platform seam: number parsing with the exact
// wcstol/wcstod semantics and the one wide formatter. Length, copy, compare and case come from
// base/tvWideText.h, which this header includes.
#pragma once

#include "base/tvWideText.h"

namespace Tolvane {
namespace Wide {
TVCORE_INTERNAL_BEGIN

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

TVCORE_INTERNAL_END
} // namespace Wide
} // namespace Tolvane
