// Files by handle on Windows: CreateFileW, ReadFile, WriteFile, SetFilePointerEx,
// GetFileSizeEx, FlushFileBuffers and CloseHandle.
#include "base/tvPrelude.h"
#include "platform/tvPlatformFileHandle.h"
#include "platform/win32/Win32Faults.h"

#include <atomic>
#include <cwchar>

namespace Tolvane {
namespace Platform {

tvHandle FileHandleOpenRead(const tvWChar* Path)
{
    if (!Path || Injected(Faults::ESystemCall::Open))
        return nullptr;
    // A directory cannot be opened this way (it would need FILE_FLAG_BACKUP_SEMANTICS).
    const HANDLE File = CreateFileW(SystemText(Path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE)
        RecordSystemError();
    return SeamHandle(File);
}

tvHandle FileHandleCreateWrite(const tvWChar* Path, EFileShare Share)
{
    if (!Path || Injected(Faults::ESystemCall::Open))
        return nullptr;
    const HANDLE File = CreateFileW(SystemText(Path), GENERIC_WRITE, Share == EFileShare::Read ? FILE_SHARE_READ : 0,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE)
        RecordSystemError();
    return SeamHandle(File);
}

tvULong FileHandleRead(tvHandle File, void* Buffer, tvULong Bytes)
{
    if (!File || Injected(Faults::ESystemCall::Read))
        return 0;
    char* Out = static_cast<char*>(Buffer);
    tvULong Done = 0;
    while (Done < Bytes) {
        DWORD Got = 0;
        if (!ReadFile(File, Out + Done, static_cast<DWORD>(Bytes - Done), &Got, nullptr)) {
            RecordSystemError();
            break;
        }
        if (Got == 0)
            break;
        Done += static_cast<tvULong>(Got);
    }
    return Done;
}

bool FileHandleWrite(tvHandle File, const void* Buffer, tvULong Bytes)
{
    if (!File || Injected(Faults::ESystemCall::Write))
        return false;
    const char* In = static_cast<const char*>(Buffer);
    while (Bytes > 0) {
        DWORD Put = 0;
        if (!WriteFile(File, In, static_cast<DWORD>(Bytes), &Put, nullptr) || Put == 0) {
            RecordSystemError();
            return false;
        }
        In += Put;
        Bytes -= static_cast<tvULong>(Put);
    }
    return true;
}

bool FileHandleSeek(tvHandle File, std::uint64_t Offset)
{
    if (!File || Offset > static_cast<std::uint64_t>(INT64_MAX))
        return false;
    LARGE_INTEGER Distance;
    Distance.QuadPart = static_cast<LONGLONG>(Offset);
    return SetFilePointerEx(File, Distance, nullptr, FILE_BEGIN) != FALSE;
}

std::int64_t FileHandleSize(tvHandle File)
{
    LARGE_INTEGER Size;
    if (!File || !GetFileSizeEx(File, &Size))
        return -1;
    return static_cast<std::int64_t>(Size.QuadPart);
}

bool FileHandleFlush(tvHandle File)
{
    return File && !Injected(Faults::ESystemCall::Sync) && FlushFileBuffers(File);
}

void FileHandleClose(tvHandle File)
{
    if (File)
        CloseHandle(File);
}

tvHandle FileHandleCreateTemporary(const tvWChar* Target, tvWChar* TemporaryPath, int Capacity)
{
    if (!Target || !TemporaryPath || Capacity <= 0 || Injected(Faults::ESystemCall::Open))
        return nullptr;
    // A new file under a fresh name beside the target (CREATE_NEW: never one that exists).
    static std::atomic<unsigned> GCounter{0};
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        const int Length = _snwprintf(SystemText(TemporaryPath), static_cast<std::size_t>(Capacity), L"%ls.tv-%lu-%x",
                                      SystemText(Target), GetCurrentProcessId(), GCounter.fetch_add(1));
        if (Length < 0 || Length >= Capacity)
            return nullptr;
        const HANDLE File = CreateFileW(SystemText(TemporaryPath), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (File != INVALID_HANDLE_VALUE)
            return File;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            RecordSystemError();
            return nullptr;
        }
    }
    return nullptr;
}

bool FileRemove(const tvWChar* Path)
{
    return Path && DeleteFileW(SystemText(Path));
}

} // namespace Platform
} // namespace Tolvane
