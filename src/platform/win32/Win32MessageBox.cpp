// Message boxes on Windows: MessageBoxW on the interactive desktop. Where there is none (a
// service, a session without a display) or the dialog cannot be shown, the message goes to
// standard error as "caption: text" in UTF-8, as on POSIX, instead of waiting for nobody.
#include "base/tvPrelude.h"
#include "platform/tvPlatformMessageBox.h"
#include "platform/win32/Win32Api.h"
#include "base/tvUnicode.h"

#include <cstdio>

namespace Tolvane {
namespace Platform {

namespace {

// Whether the process's window station is one a person sees.
bool InteractiveDesktop()
{
    HWINSTA Station = GetProcessWindowStation();
    USEROBJECTFLAGS Flags{};
    DWORD Needed = 0;
    return Station && GetUserObjectInformationW(Station, UOI_FLAGS, &Flags, sizeof Flags, &Needed) &&
           (Flags.dwFlags & WSF_VISIBLE) != 0;
}

std::size_t AppendCut(const tvWChar* Text, char* Out, std::size_t Room)
{
    if (!Text || Room == 0)
        return 0;
    int Units = -1;
    int Bytes = Unicode::Utf16ToUtf8(Text, Units, Out, Room);
    for (Units = static_cast<int>(Room / 3); Bytes < 0 && Units > 0; Units /= 2)
        Bytes = Unicode::Utf16ToUtf8(Text, Units, Out, Room);
    return Bytes > 0 ? static_cast<std::size_t>(Bytes) : 0;
}

void ToStandardError(const tvWChar* Text, const tvWChar* Caption)
{
    char Line[4096];
    std::size_t Used = AppendCut(Caption, Line, 256);
    Line[Used++] = ':';
    Line[Used++] = ' ';
    Used += AppendCut(Text, Line + Used, sizeof(Line) - Used - 1);
    Line[Used++] = '\n';
    std::fwrite(Line, 1, Used, stderr);
    std::fflush(stderr);
}

} // namespace

void ShowMessageBox(const tvWChar* Text, const tvWChar* Caption, tvULong Flags)
{
    static const bool Interactive = InteractiveDesktop();
    // A dialog that could not be shown answers 0 (a session without a display may answer -1):
    // only a button's number means a person saw it.
    if (Interactive && MessageBoxW(nullptr, SystemText(Text ? Text : L""), SystemText(Caption ? Caption : L""),
                                   static_cast<UINT>(Flags)) > 0)
        return;
    ToStandardError(Text, Caption);
}

} // namespace Platform
} // namespace Tolvane
