// The library's log lines (see tvLogLine.h).
#include "core/tvLogLine.h"
#include "core/strings/tvWideRuntime.h"

namespace Tolvane {

void appLogLine(const tvWChar* Format, ...)
{
    if (!Format)
        return;
    tvWChar Line[2048];
    va_list Args;
    va_start(Args, Format);
    Wide::FormatV(Line, sizeof(Line) / sizeof(Line[0]), Format, Args);
    va_end(Args);
    // No log yet: the formatted line goes nowhere.
}

} // namespace Tolvane
