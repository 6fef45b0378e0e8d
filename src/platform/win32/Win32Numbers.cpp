// Number text in the "C" locale on Windows. The MinGW runtime's own printf and strtod follow C99
// (long double, hexadecimal forms, inf and nan, correct rounding) where the system runtime's do
// not; they take the decimal point of the process locale, so a host that changed it gets '.'
// back here: the locale's point is swapped for '.' on the way out and for the locale's on the
// way in.
#include "base/tvPrelude.h"
#include "platform/tvPlatformNumbers.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Tolvane {
namespace Platform {

namespace {

// The process locale's decimal point when it is one byte other than '.', else 0.
char ForeignPoint()
{
    const std::lconv* Conventions = std::localeconv();
    const char* Point = Conventions ? Conventions->decimal_point : nullptr;
    return (Point && Point[0] && !Point[1] && Point[0] != '.') ? Point[0] : 0;
}

template <class T>
int FormatC(char* Out, std::size_t Capacity, const char* Directive, int Width, int Precision, T Value)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int N = __mingw_snprintf(Out, Capacity, Directive, Width, Precision, Value);
#pragma GCC diagnostic pop
    if (const char Point = ForeignPoint())
        if (N >= 0 && Capacity > 0)
            if (char* At = std::strchr(Out, Point))
                *At = '.';
    return N;
}

} // namespace

int FormatFloatC(char* Out, std::size_t Capacity, const char* Directive, int Width, int Precision, double Value)
{
    return FormatC(Out, Capacity, Directive, Width, Precision, Value);
}

int FormatLongFloatC(char* Out, std::size_t Capacity, const char* Directive, int Width, int Precision,
                     long double Value)
{
    return FormatC(Out, Capacity, Directive, Width, Precision, Value);
}

double ParseDoubleC(const char* Text, char** End)
{
    const char Point = ForeignPoint();
    if (!Point)
        return __mingw_strtod(Text, End);
    // The number's text with the locale's point; a number longer than the copy is read as far
    // as the copy goes.
    char Copy[512];
    std::size_t Length = 0;
    while (Length + 1 < sizeof Copy && Text[Length]) {
        Copy[Length] = Text[Length] == '.' ? Point : Text[Length] == Point ? '.' : Text[Length];
        ++Length;
    }
    Copy[Length] = 0;
    char* CopyEnd = nullptr;
    const double Value = __mingw_strtod(Copy, &CopyEnd);
    if (End)
        *End = const_cast<char*>(Text) + (CopyEnd - Copy);
    return Value;
}

} // namespace Platform
} // namespace Tolvane
