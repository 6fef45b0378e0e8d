// Files and directories on Windows: the runtime's wide streams, file attributes, access checks,
// CopyFileW, DeleteFileW, CreateDirectoryW and FindFirstFileW.
#include "base/tvPrelude.h"
#include "platform/tvPlatformFiles.h"
#include "platform/tvPlatformError.h"
#include "platform/win32/Win32Faults.h"
#include "base/tvFindList.h"
#include "base/tvWideText.h"

#include <cstdio>

namespace Tolvane {
namespace Platform {

namespace {

inline FILE* AsFile(tvHandle Stream) { return static_cast<FILE*>(Stream); }

// Records why a call failed (the system's last error, or Code) and gives the failure result.
template <class T>
T Failed(int Code = 0)
{
    if (Code)
        SetLastError(Code);
    else
        RecordSystemError();
    return T{};
}

// All matching entries of one search, collected and sorted when it starts: the system lists a
// directory in the file system's order, which only some file systems keep sorted.
struct FSearch : FFindList {
    bool Deliver(FFindData& Out) { return Next(Out.Name, FFindData::NameCapacity, Out.Attributes); }
};

} // namespace

// --- Byte streams ---------------------------------------------------------------------------

tvHandle StreamOpen(const tvWChar* Path, EStreamMode Mode)
{
    if (!Path)
        return Failed<tvHandle>(ERROR_INVALID_PARAMETER);
    if (Injected(Faults::ESystemCall::Open))
        return nullptr;
    // 'N': the stream's handle is not inherited by processes the host starts.
    FILE* File = _wfopen(SystemText(Path), Mode == EStreamMode::ReadBinary ? L"rbN" : L"wbN");
    return File ? File : Failed<tvHandle>();
}

std::size_t StreamRead(tvHandle Stream, void* Buffer, std::size_t Bytes)
{
    if (Bytes && Injected(Faults::ESystemCall::Read))
        return 0;
    return Bytes ? std::fread(Buffer, 1, Bytes, AsFile(Stream)) : 0;
}

std::size_t StreamWrite(tvHandle Stream, const void* Buffer, std::size_t Bytes)
{
    if (!Bytes)
        return 0;
    int Error = 0;
    switch (Faults::Check(Faults::ESystemCall::Write, Error)) {
    case Faults::EOutcome::Proceed:
        return std::fwrite(Buffer, 1, Bytes, AsFile(Stream));
    case Faults::EOutcome::Short:
        SetLastError(Error);
        return std::fwrite(Buffer, 1, Bytes / 2, AsFile(Stream));
    default:
        return Failed<std::size_t>(Error ? Error : ERROR_GEN_FAILURE);
    }
}

bool StreamSeek(tvHandle Stream, std::int64_t Offset, EStreamOrigin Origin)
{
    const int Whence = Origin == EStreamOrigin::Begin ? SEEK_SET : Origin == EStreamOrigin::End ? SEEK_END : SEEK_CUR;
    return _fseeki64(AsFile(Stream), Offset, Whence) == 0;
}

std::int64_t StreamTell(tvHandle Stream) { return static_cast<std::int64_t>(_ftelli64(AsFile(Stream))); }

bool StreamFlush(tvHandle Stream)
{
    return (!Injected(Faults::ESystemCall::Write) && std::fflush(AsFile(Stream)) == 0) || Failed<bool>();
}

bool StreamClose(tvHandle Stream) { return !Stream || std::fclose(AsFile(Stream)) == 0; }

// --- Attributes and access --------------------------------------------------------------------

tvULong FileGetAttributes(const tvWChar* Path)
{
    return Path ? static_cast<tvULong>(GetFileAttributesW(SystemText(Path))) : FileAttributesInvalid;
}

bool FileSetAttributes(const tvWChar* Path, tvULong Attributes)
{
    const DWORD Current = Path ? GetFileAttributesW(SystemText(Path)) : INVALID_FILE_ATTRIBUTES;
    if (Current == INVALID_FILE_ATTRIBUTES)
        return Failed<bool>();
    DWORD Wanted = (Current & ~DWORD(FILE_ATTRIBUTE_READONLY)) | (Attributes & FILE_ATTRIBUTE_READONLY);
    // Only the read-only bit changes; a file left with no attribute at all is "normal".
    Wanted &= FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;
    if (Wanted == 0)
        Wanted = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesW(SystemText(Path), Wanted) || Failed<bool>();
}

bool FileAccess(const tvWChar* Path, int Mode)
{
    const DWORD Attributes = Path ? GetFileAttributesW(SystemText(Path)) : INVALID_FILE_ATTRIBUTES;
    if (Attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    // A read-only file refuses writing; a directory's read-only bit means nothing for access.
    return !(Mode & FileAccessWrite) || (Attributes & FILE_ATTRIBUTE_DIRECTORY) || !(Attributes & FILE_ATTRIBUTE_READONLY);
}

bool FileCopy(const tvWChar* From, const tvWChar* To, bool FailIfExists)
{
    if (!From || !To)
        return Failed<bool>(ERROR_INVALID_PARAMETER);
    if (Injected(Faults::ESystemCall::Open) || Injected(Faults::ESystemCall::Write))
        return false;
    return CopyFileW(SystemText(From), SystemText(To), FailIfExists ? TRUE : FALSE) || Failed<bool>();
}

bool FileDelete(const tvWChar* Path)
{
    return (Path && DeleteFileW(SystemText(Path))) || Failed<bool>();
}

bool DirectoryCreate(const tvWChar* Path)
{
    if (Path && Injected(Faults::ESystemCall::CreateDirectory))
        return false;
    return (Path && CreateDirectoryW(SystemText(Path), nullptr)) || Failed<bool>();
}

// --- Directory search -------------------------------------------------------------------------

tvHandle DirectorySearchFirst(const tvWChar* Pattern, FFindData& Out)
{
    if (!Pattern || !*Pattern)
        return nullptr;
    WIN32_FIND_DATAW Found;
    const HANDLE System = FindFirstFileW(SystemText(Pattern), &Found);
    if (System == INVALID_HANDLE_VALUE)
        return Failed<tvHandle>();
    FSearch* Search = new (std::nothrow) FSearch;
    bool Ok = Search != nullptr;
    do {
        // A name the interface cannot carry whole is not listed.
        if (Ok && Wide::Length(Found.cFileName) < std::size_t(FFindData::NameCapacity))
            Ok = Search->Add(Found.cFileName, static_cast<tvULong>(Found.dwFileAttributes));
    } while (Ok && FindNextFileW(System, &Found));
    FindClose(System);
    if (!Ok || Search->Size() == 0) {
        delete Search;
        return nullptr;
    }
    Search->Sort();
    Search->Deliver(Out);
    return Search;
}

bool DirectorySearchNext(tvHandle Search, FFindData& Out)
{
    return Search && static_cast<FSearch*>(Search)->Deliver(Out);
}

void DirectorySearchClose(tvHandle Search) { delete static_cast<FSearch*>(Search); }

} // namespace Platform
} // namespace Tolvane
