// Narrow number text in the "C" locale, whatever locale the host process has set: the wide
// runtime formats floating-point numbers and parses them through these, so a host that calls
// setlocale never turns "3.14" into "3,14" inside the library.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// snprintf of one floating-point conversion in the "C" locale. Directive is a single conversion
// whose width and precision are both '*' ("%-+*.*e", "%*.*Lf"); a negative Precision means
// none. At most Capacity - 1 bytes and a terminator; returns the length the whole text needs,
// or a negative value on failure.
int FormatFloatC(char* Out, std::size_t Capacity, const char* Directive, int Width, int Precision, double Value);
int FormatLongFloatC(char* Out, std::size_t Capacity, const char* Directive, int Width, int Precision,
                     long double Value);

// strtod in the "C" locale: correctly rounded, hexadecimal forms, inf and nan.
double ParseDoubleC(const char* Text, char** End);

} // namespace Platform
} // namespace Tolvane
