// Text on Windows: code pages through MultiByteToWideChar and WideCharToMultiByte, and system
// paths in the ANSI code page for the third-party code that opens files by narrow name.
#include "base/tvPrelude.h"
#include "platform/tvPlatformText.h"
#include "platform/win32/Win32Api.h"

#include <atomic>

namespace Tolvane {
namespace Platform {

namespace {

// The library's ANSI code page: the system's until a host sets another.
std::atomic<unsigned> GAnsiCodePage{0};

inline unsigned Resolve(unsigned CodePage)
{
    if (CodePage != GCodePageAnsi)
        return CodePage;
    const unsigned Set = GAnsiCodePage.load(std::memory_order_relaxed);
    return Set ? Set : static_cast<unsigned>(GetACP());
}

template <class In>
inline bool ValidArguments(const In* Source, int SourceLength, const void* Dest, int DestLength)
{
    return Source && (SourceLength > 0 || SourceLength == -1) && DestLength >= 0 && (DestLength == 0 || Dest);
}

} // namespace

FSystemPath::FSystemPath(const tvWChar* Path)
    : Valid(Path && ::WideCharToMultiByte(CP_ACP, 0, SystemText(Path), -1, Text, static_cast<int>(Capacity), nullptr,
                                          nullptr) > 0)
{
    if (!Valid)
        Text[0] = 0;
}

unsigned AnsiCodePage() { return Resolve(GCodePageAnsi); }

bool SetAnsiCodePage(unsigned CodePage)
{
    if (CodePage == GCodePageAnsi || !IsValidCodePage(CodePage))
        return false;
    GAnsiCodePage.store(CodePage, std::memory_order_relaxed);
    return true;
}

int MultiByteToWide(unsigned CodePage, const char* Source, int SourceLength, tvWChar* Dest, int DestLength)
{
    if (!ValidArguments(Source, SourceLength, Dest, DestLength))
        return 0;
    return ::MultiByteToWideChar(Resolve(CodePage), 0, Source, SourceLength, SystemText(Dest), DestLength);
}

int WideToMultiByte(unsigned CodePage, const tvWChar* Source, int SourceLength, char* Dest, int DestLength)
{
    if (!ValidArguments(Source, SourceLength, Dest, DestLength))
        return 0;
    return ::WideCharToMultiByte(Resolve(CodePage), 0, SystemText(Source), SourceLength, Dest, DestLength, nullptr,
                                 nullptr);
}

} // namespace Platform
} // namespace Tolvane
