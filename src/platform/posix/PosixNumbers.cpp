// Number text in the "C" locale through a locale object of its own (newlocale), used per call
// with uselocale / strtod_l so the process locale and other threads are never touched.
#include "base/tvPrelude.h"
#include "platform/tvPlatformNumbers.h"

#include <clocale>
#include <locale.h>

namespace Tolvane {
namespace Platform {

namespace {
locale_t CLocale()
{
    // Created once, on first use, and kept for the life of the process.
    static const locale_t GLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return GLocale;
}
} // namespace

// The conversion text is built by the wide formatter from a parsed conversion, never taken
// from a caller, so it is not a literal here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
template <class T>
int FormatInLocale(char* Out, std::size_t Capacity, const char* Directive, int Width, int Precision, T Value)
{
    const locale_t Previous = uselocale(CLocale());
    const int N = std::snprintf(Out, Capacity, Directive, Width, Precision, Value);
    uselocale(Previous);
    return N;
}
#pragma GCC diagnostic pop

int FormatFloatC(char* Out, std::size_t Capacity, const char* Directive, int Width, int Precision, double Value)
{
    return FormatInLocale(Out, Capacity, Directive, Width, Precision, Value);
}

int FormatLongFloatC(char* Out, std::size_t Capacity, const char* Directive, int Width, int Precision,
                     long double Value)
{
    return FormatInLocale(Out, Capacity, Directive, Width, Precision, Value);
}

double ParseDoubleC(const char* Text, char** End)
{
    return strtod_l(Text, End, CLocale());
}

} // namespace Platform
} // namespace Tolvane
