// C streams on narrow paths on POSIX: the paths are UTF-8 already; only '\' becomes '/'.
#include "base/tvPrelude.h"
#include "platform/tvPlatformStdio.h"
#include "platform/posix/PosixFaults.h"
#include "base/tvPathLimits.h"
#include "base/tvUnicode.h"

#include <cerrno>
#include <cstring>
#include <stdio.h>

namespace Tolvane {
namespace Platform {

namespace {
// A narrow path in the system's form; false when it does not fit.
bool SystemForm(const char* Path, char (&Out)[GSystemPathBytes])
{
    if (!Path)
        return false;
    const std::size_t Length = std::strlen(Path);
    if (Length >= sizeof Out)
        return false;
    for (std::size_t i = 0; i <= Length; ++i)
        Out[i] = Path[i] == '\\' ? '/' : Path[i];
    return true;
}
} // namespace

std::FILE* StdioOpen(const char* Path, const char* Mode)
{
    char System[GSystemPathBytes];
    if (!Mode || !SystemForm(Path, System) || Injected(Faults::ESystemCall::Open))
        return nullptr;
    return std::fopen(System, Mode);
}

std::int64_t StdioLength(std::FILE* Stream)
{
    if (!Stream || fseeko(Stream, 0, SEEK_END) != 0)
        return -1;
    const off_t Length = ftello(Stream);
    return Length < 0 ? -1 : static_cast<std::int64_t>(Length);
}

bool StdioPathToLibrary(const char* Path, tvWChar* Out, std::size_t Capacity)
{
    return Path && Out && Unicode::Utf8ToUtf16(Path, -1, Out, Capacity) >= 0;
}

} // namespace Platform
} // namespace Tolvane
