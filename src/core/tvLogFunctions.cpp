// The free logging functions, the message function and the traces.
#include "base/tvPrelude.h"
#include "tvCore/core/tvLogDevice.h"

#include "core/strings/tvWideRuntime.h"
#include "platform/tvPlatformDebug.h"
#include "tvCore/core/strings/tvString.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMessageBox.h"

#include <cstdio>

namespace Tolvane {

namespace {

void LogWith(const tvWChar* Category, const tvWChar* Format, va_list Args)
{
    if (GLog)
        GLog->Log(Category, Format, Args);
}

// The trace buffers, used only inside the library-wide critical section.
char GTraceA[GTraceBufferUnits];
tvWChar GTraceW[GTraceBufferUnits];

} // namespace

void appLog(const tvWChar* Format, ...)
{
    va_list Args;
    va_start(Args, Format);
    LogWith(TVTEXT("Log"), Format, Args);
    va_end(Args);
}

void appWarning(const tvWChar* Format, ...)
{
    va_list Args;
    va_start(Args, Format);
    LogWith(TVTEXT("Warning"), Format, Args);
    va_end(Args);
}

void appError(const tvWChar* Format, ...)
{
    va_list Args;
    va_start(Args, Format);
    LogWith(TVTEXT("Error"), Format, Args);
    va_end(Args);
    Platform::DebugBreak();
}

void appMsg(const tvWChar* Format, ...)
{
    FString Text;
    va_list Args;
    va_start(Args, Format);
    Text.FormatV(Format, Args);
    va_end(Args);
    appMessageBox(Text, TVTEXT("Message"), MESSAGEBOX_TaskModal);
}

void appTraceA(const char* Format, ...)
{
    if (!Format)
        return;
    FCriticalSection Lock;
    va_list Args;
    va_start(Args, Format);
    // The narrow format follows the C library's rules; the text is cut at 1023 characters.
    if (std::vsnprintf(GTraceA, sizeof GTraceA, Format, Args) < 0)
        GTraceA[0] = 0;
    va_end(Args);
    Platform::DebugOutput(GTraceA);
    Platform::StandardOutput(GTraceA);
}

void appTraceW(const tvWChar* Format, ...)
{
    if (!Format)
        return;
    FCriticalSection Lock;
    va_list Args;
    va_start(Args, Format);
    Wide::FormatV(GTraceW, GTraceBufferUnits, Format, Args);
    va_end(Args);
    Platform::DebugOutput(GTraceW);
    Platform::StandardOutput(GTraceW);
}

} // namespace Tolvane
