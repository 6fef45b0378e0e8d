// Memory streams on Windows, which has no memory-backed C stream: a temporary file that the
// runtime deletes when it closes ("D"), read back into a block of the C library's on Close.
#include "base/tvPrelude.h"
#include "platform/tvPlatformMemoryFile.h"
#include "platform/win32/Win32Api.h"

#include <cstdio>
#include <cstdlib>

namespace Tolvane {
namespace Platform {

bool MemoryFileOpen(FMemoryFile& File)
{
    File.Data = nullptr;
    File.Size = 0;
    File.Stream = nullptr;
    wchar_t Folder[MAX_PATH + 1];
    wchar_t Name[MAX_PATH + 1];
    const DWORD Length = GetTempPathW(MAX_PATH + 1, Folder);
    if (Length == 0 || Length > MAX_PATH || GetTempFileNameW(Folder, L"tvm", 0, Name) == 0)
        return false;
    File.Stream = _wfopen(Name, L"w+bDN");
    if (!File.Stream)
        DeleteFileW(Name);
    return File.Stream != nullptr;
}

bool MemoryFileClose(FMemoryFile& File)
{
    if (!File.Stream)
        return false;
    bool Ok = std::ferror(File.Stream) == 0 && std::fflush(File.Stream) == 0 && _fseeki64(File.Stream, 0, SEEK_END) == 0;
    const long long Size = Ok ? _ftelli64(File.Stream) : -1;
    Ok = Ok && Size >= 0 && static_cast<unsigned long long>(Size) < static_cast<unsigned long long>(SIZE_MAX) &&
         _fseeki64(File.Stream, 0, SEEK_SET) == 0;
    if (Ok) {
        File.Size = static_cast<std::size_t>(Size);
        File.Data = static_cast<char*>(std::malloc(File.Size + 1));
        Ok = File.Data && std::fread(File.Data, 1, File.Size, File.Stream) == File.Size;
        if (Ok)
            File.Data[File.Size] = 0;  // terminated, as a memory stream's buffer is
    }
    const bool Closed = std::fclose(File.Stream) == 0;
    File.Stream = nullptr;
    if (!Ok || !Closed) {
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
