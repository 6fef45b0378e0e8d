// Whole-file replacement on Windows: FlushFileBuffers of the new file, then MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, which returns only once the rename is on
// the disk.
#include "base/tvPrelude.h"
#include "platform/tvPlatformFileReplace.h"
#include "platform/win32/Win32Faults.h"

namespace Tolvane {
namespace Platform {

namespace {

// Flushes a file through a handle of its own (FlushFileBuffers needs write access).
bool SyncFile(const tvWChar* Path)
{
    if (Injected(Faults::ESystemCall::Sync))
        return false;
    const HANDLE File = CreateFileW(SystemText(Path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE) {
        RecordSystemError();
        return false;
    }
    const bool Synced = FlushFileBuffers(File) || (RecordSystemError(), false);
    return CloseHandle(File) && Synced;
}

} // namespace

bool FileSync(const tvWChar* Path)
{
    if (!Path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return SyncFile(Path);
}

bool FileReplace(const tvWChar* From, const tvWChar* To)
{
    if (!From || !To) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!SyncFile(From) || Injected(Faults::ESystemCall::Rename))
        return false;
    // A read-only target is replaced too: its attribute would make the move fail.
    const DWORD Attributes = GetFileAttributesW(SystemText(To));
    if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_READONLY) &&
        !(Attributes & FILE_ATTRIBUTE_DIRECTORY))
        SetFileAttributesW(SystemText(To), Attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (!MoveFileExW(SystemText(From), SystemText(To), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RecordSystemError();
        if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(SystemText(To), Attributes);
        return false;
    }
    return true;
}

} // namespace Platform
} // namespace Tolvane
