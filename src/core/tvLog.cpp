// FLog: formats each line under the library-wide lock into one shared buffer and writes it
// to the log file, then hands the line to the hooks outside the lock.
#include "base/tvPrelude.h"
#include "tvCore/core/tvLogDevice.h"

#include "core/strings/tvWideRuntime.h"
#include "tvCore/core/files/tvFileManager.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

namespace {

// The shared formatting buffer: used only inside the library-wide critical section.
tvWChar GLogBuffer[GLogBufferUnits];

// Formats into GLogBuffer and returns the units to write. Text longer than the buffer is cut
// at 2047 units (never in the middle of a surrogate pair); a format the formatter cannot use
// keeps the text before the bad directive.
int FormatLine(const tvWChar* Format, va_list Args)
{
    Wide::FormatV(GLogBuffer, GLogBufferUnits, Format, Args);
    int Units = int(Wide::Length(GLogBuffer));
    if (Units == GLogBufferUnits - 1 && GLogBuffer[Units - 1] >= 0xD800 && GLogBuffer[Units - 1] <= 0xDBFF)
        GLogBuffer[--Units] = 0;
    return Units;
}

int FormatLine(const tvWChar* Format, ...)
{
    va_list Args;
    va_start(Args, Format);
    const int Units = FormatLine(Format, Args);
    va_end(Args);
    return Units;
}

void WriteUnits(FFileWriter* Writer, const tvWChar* Text, int Units)
{
    if (Writer && Units > 0)
        Writer->Serialize(const_cast<tvWChar*>(Text), tvULong(Units) * tvULong(sizeof(tvWChar)));
}

} // namespace

FLog::FLog(const FLog& Other)
    : FInterface(Other), Writer(Other.Writer), Hooks(Other.Hooks)
{
}

FLog& FLog::operator=(const FLog& Other)
{
    Writer = Other.Writer;
    Hooks = Other.Hooks;
    return *this;
}

FLog::~FLog()
{
    Close();
}

int FLog::Open(const tvWChar* FileName)
{
    Close();
    if (!GFileManager)
        return 0;
    Writer = GFileManager->CreateWriter(FileName);
    if (!Writer)
        return 0;
    tvUShort Mark = 0xFEFF;  // stored little-endian: FF FE
    Writer->Write(&Mark, sizeof Mark);
    return 1;
}

void FLog::Close()
{
    if (!Writer)
        return;
    Writer->Close();
    delete Writer;
    Writer = nullptr;
}

void FLog::Flush()
{
    if (Writer)
        Writer->Flush();
}

void FLog::Hook(FLogHook* NewHook)
{
    if (!NewHook)
        return;  // a null hook would end the chain early
    NewHook->Next = Hooks;
    Hooks = NewHook;
}

void FLog::Log(const tvWChar* Category, const tvWChar* Format, ...)
{
    va_list Args;
    va_start(Args, Format);
    Log(Category, Format, Args);
    va_end(Args);
}

void FLog::Log(const tvWChar* Category, const tvWChar* Format, va_list Args)
{
    {
        FCriticalSection Lock;
        if (Category)
            WriteUnits(Writer, GLogBuffer, FormatLine(TVTEXT("%s: "), Category));
        if (Format) {
            va_list Mine;
            va_copy(Mine, Args);
            WriteUnits(Writer, GLogBuffer, FormatLine(Format, Mine));
            va_end(Mine);
            static const tvWChar GLineEnd[] = TVTEXT("\r\n");
            WriteUnits(Writer, GLineEnd, 2);
        }
    }
    for (FLogHook* H = Hooks; H; H = H->Next) {
        va_list Copy;
        va_copy(Copy, Args);
        H->Log(Category, Format, Copy);
        va_end(Copy);
    }
}

} // namespace Tolvane
