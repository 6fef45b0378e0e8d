// Memory streams on POSIX: open_memstream, whose buffer is the C library's to free.
#include "base/tvPrelude.h"

#include "platform/tvPlatformMemoryFile.h"

namespace Tolvane {
namespace Platform {

bool MemoryFileOpen(FMemoryFile& File)
{
    File.Data = nullptr;
    File.Size = 0;
    File.Stream = open_memstream(&File.Data, &File.Size);
    return File.Stream != nullptr;
}

bool MemoryFileClose(FMemoryFile& File)
{
    if (!File.Stream)
        return false;
    const bool Failed = std::ferror(File.Stream) != 0;
    const bool Closed = std::fclose(File.Stream) == 0;
    File.Stream = nullptr;
    if (Failed || !Closed || !File.Data) {
        MemoryFileFree(File);
        return false;
    }
    return true;
}

void MemoryFileFree(FMemoryFile& File)
{
    if (File.Stream)
        std::fclose(File.Stream);
    File.Stream = nullptr;
    std::free(File.Data);
    File.Data = nullptr;
    File.Size = 0;
}

} // namespace Platform
} // namespace Tolvane
