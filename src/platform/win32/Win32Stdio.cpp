// C streams on narrow paths on Windows: the paths are in the ANSI code page, the runtime's own
// narrow encoding, and both separators work as they are.
#include "base/tvPrelude.h"
#include "platform/tvPlatformStdio.h"
#include "platform/win32/Win32Faults.h"

#include <cstdio>

namespace Tolvane {
namespace Platform {

std::FILE* StdioOpen(const char* Path, const char* Mode)
{
    if (!Path || !Mode || Injected(Faults::ESystemCall::Open))
        return nullptr;
    return std::fopen(Path, Mode);
}

std::int64_t StdioLength(std::FILE* Stream)
{
    if (!Stream || _fseeki64(Stream, 0, SEEK_END) != 0)
        return -1;
    const long long Length = _ftelli64(Stream);
    return Length < 0 ? -1 : static_cast<std::int64_t>(Length);
}

bool StdioPathToLibrary(const char* Path, tvWChar* Out, std::size_t Capacity)
{
    if (!Path || !Out || Capacity == 0 || Capacity > 0x7FFFFFFF)
        return false;
    return ::MultiByteToWideChar(CP_ACP, 0, Path, -1, SystemText(Out), static_cast<int>(Capacity)) > 0;
}

} // namespace Platform
} // namespace Tolvane
