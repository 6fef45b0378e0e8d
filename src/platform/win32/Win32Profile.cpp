// Initialisation-file values on Windows: the system's own GetPrivateProfileStringW. A relative
// file name is made full first, since the system would otherwise look for it in the Windows
// folder.
#include "base/tvPrelude.h"
#include "platform/tvPlatformProfile.h"
#include "platform/win32/Win32Api.h"

namespace Tolvane {
namespace Platform {

namespace {
// The default with its trailing blanks dropped, as the system call gives it.
tvULong CopyDefault(const tvWChar* Default, tvWChar* Out, tvULong Capacity)
{
    const tvWChar* End = Default;
    while (End && *End)
        ++End;
    while (End && End > Default && (End[-1] == L' ' || End[-1] == L'\t'))
        --End;
    std::size_t Units = Default ? static_cast<std::size_t>(End - Default) : 0;
    if (Units > Capacity - 1)
        Units = Capacity - 1;
    if (Units)
        std::memcpy(Out, Default, Units * sizeof(tvWChar));
    Out[Units] = 0;
    return static_cast<tvULong>(Units);
}
} // namespace

tvULong ProfileGetString(const tvWChar* Section, const tvWChar* Key, const tvWChar* Default, tvWChar* Out,
                         tvULong Capacity, const tvWChar* FileName)
{
    if (!Out || Capacity == 0)
        return 0;
    // The enumeration forms of the system call are not offered: a null name gives the default.
    if (!Section || !Key || !FileName)
        return CopyDefault(Default, Out, Capacity);
    wchar_t Full[MAX_PATH * 4];
    const DWORD Length = GetFullPathNameW(SystemText(FileName), sizeof Full / sizeof Full[0], Full, nullptr);
    if (Length == 0 || Length >= sizeof Full / sizeof Full[0])
        return CopyDefault(Default, Out, Capacity);
    return static_cast<tvULong>(GetPrivateProfileStringW(SystemText(Section), SystemText(Key),
                                                         Default ? SystemText(Default) : L"", SystemText(Out),
                                                         static_cast<DWORD>(Capacity), Full));
}

} // namespace Platform
} // namespace Tolvane
