// Files and directories on POSIX: stdio streams, the owner-write bit as the read-only
// attribute, an exclusive-create or replace-by-rename copy, and a directory search that
// behaves like the Windows one (".", ".." first, wildcard patterns, one named entry).
#include "base/tvPrelude.h"
#include "platform/tvPlatformFiles.h"
#include "platform/tvPlatformText.h"
#include "platform/tvPlatformError.h"
#include "base/tvWideText.h"
#include "base/tvWildcard.h"
#include "base/tvFindList.h"
#include "base/tvUnicode.h"
#include "base/tvFaultInjection.h"
#include "platform/posix/PosixFaults.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tolvane {
namespace Platform {

namespace {

inline bool IsSeparator(tvWChar C) { return C == u'\\' || C == u'/'; }

inline FILE* AsFile(tvHandle Stream) { return static_cast<FILE*>(Stream); }

bool StatPath(const tvWChar* Path, struct stat& Info)
{
    const FSystemPath SystemPath(Path);
    return SystemPath.Ok() && stat(SystemPath.Get(), &Info) == 0;
}

tvULong AttributesOf(const struct stat& Info)
{
    tvULong Attributes = 0;
    if (S_ISDIR(Info.st_mode))
        Attributes |= FileAttributeDirectory;
    if ((Info.st_mode & S_IWUSR) == 0)
        Attributes |= FileAttributeReadOnly;
    return Attributes ? Attributes : FileAttributeNormal;
}

bool IsReadOnlyFile(const struct stat& Info) { return !S_ISDIR(Info.st_mode) && (Info.st_mode & S_IWUSR) == 0; }

// Writes all of Buffer, retrying after signals and short writes.
bool WriteAll(int Fd, const char* Buffer, std::size_t Bytes)
{
    if (Injected(Faults::ESystemCall::Write))
        return false;
    while (Bytes > 0) {
        const ssize_t Done = write(Fd, Buffer, Bytes);
        if (Done < 0 && errno == EINTR)
            continue;
        if (Done <= 0)
            return false;
        Buffer += Done;
        Bytes -= static_cast<std::size_t>(Done);
    }
    return true;
}

// Copies the whole of From into To (both open), then gives To the source's permissions and
// times, as the Windows copy carries the attributes and the last-write time along.
bool CopyContents(int From, int To, const struct stat& SourceInfo)
{
    char Buffer[64 * 1024];
    for (;;) {
        const ssize_t Got = read(From, Buffer, sizeof(Buffer));
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got < 0)
            return false;
        if (Got == 0)
            break;
        if (!WriteAll(To, Buffer, static_cast<std::size_t>(Got)))
            return false;
    }
    const struct timespec Times[2] = {SourceInfo.st_atim, SourceInfo.st_mtim};
    return fchmod(To, SourceInfo.st_mode & 07777) == 0 && futimens(To, Times) == 0;
}

bool CloseChecked(int Fd) { return close(Fd) == 0; }

// --- Search state ----------------------------------------------------------------------------

// All matching entries of one search, collected and sorted when it starts.
struct FSearch : FFindList {
    bool Deliver(FFindData& Out) { return Next(Out.Name, FFindData::NameCapacity, Out.Attributes); }
};

// Reads the directory and keeps the entries whose names match NamePattern.
bool CollectMatches(const char* Directory, const tvWChar* NamePattern, FSearch& Search)
{
    DIR* Dir = opendir(Directory);
    if (!Dir)
        return false;
    bool Ok = true;
    const int DirFd = dirfd(Dir);
    while (Ok) {
        errno = 0;
        const dirent* Entry = readdir(Dir);
        if (!Entry)
            break;
        tvWChar Name[FFindData::NameCapacity];
        if (Unicode::Utf8ToUtf16(Entry->d_name, -1, Name, FFindData::NameCapacity) < 0 || !Wildcard::MatchFileName(NamePattern, Name))
            continue;  // a name the interface cannot carry is not listed
        struct stat Info;
        if (fstatat(DirFd, Entry->d_name, &Info, 0) != 0 && fstatat(DirFd, Entry->d_name, &Info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;  // vanished since readdir named it
        Ok = Search.Add(Name, AttributesOf(Info));
    }
    closedir(Dir);
    return Ok;
}

// A wildcard search: the directory is everything before the last separator (wildcards may
// stand only in the last component, as on Windows); its entries are matched against the rest.
bool SearchDirectory(const tvWChar* Pattern, std::size_t NameStart, FSearch& Search)
{
    for (std::size_t i = 0; i < NameStart; ++i)
        if (Pattern[i] == u'*' || Pattern[i] == u'?')
            return false;
    const FSystemPath SystemPattern(Pattern);
    if (!SystemPattern.Ok())
        return false;
    char Directory[GSystemPathBytes];
    const char* Full = SystemPattern.Get();
    const char* LastSlash = std::strrchr(Full, '/');
    if (!LastSlash) {
        std::strcpy(Directory, ".");
    } else {
        const std::size_t DirLength = LastSlash == Full ? 1 : static_cast<std::size_t>(LastSlash - Full);
        std::memcpy(Directory, Full, DirLength);
        Directory[DirLength] = 0;
    }
    return CollectMatches(Directory, Pattern + NameStart, Search);
}

// Records why a call failed (the current errno, or Code) and gives the failure result.
template <class T>
T Failed(int Code = 0)
{
    if (Code)
        SetLastError(Code);
    else
        RecordSystemError();
    return T{};
}

} // namespace

// --- Byte streams ---------------------------------------------------------------------------

tvHandle StreamOpen(const tvWChar* Path, EStreamMode Mode)
{
    const FSystemPath SystemPath(Path);
    if (!SystemPath.Ok())
        return Failed<tvHandle>(ENAMETOOLONG);
    FILE* File = Injected(Faults::ESystemCall::Open)
                     ? nullptr
                     : std::fopen(SystemPath.Get(), Mode == EStreamMode::ReadBinary ? "rbe" : "wbe");
    if (!File)
        return Failed<tvHandle>();
    // stdio opens a directory for reading; the Windows runtime refuses it.
    struct stat Info;
    if (fstat(fileno(File), &Info) != 0 || S_ISDIR(Info.st_mode)) {
        std::fclose(File);
        return Failed<tvHandle>(EISDIR);
    }
    return File;
}

std::size_t StreamRead(tvHandle Stream, void* Buffer, std::size_t Bytes)
{
    if (Bytes && Injected(Faults::ESystemCall::Read))
        return Failed<std::size_t>();
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
        return Failed<std::size_t>(Error);
    }
}

bool StreamSeek(tvHandle Stream, std::int64_t Offset, EStreamOrigin Origin)
{
    const int Whence = Origin == EStreamOrigin::Begin ? SEEK_SET : Origin == EStreamOrigin::End ? SEEK_END : SEEK_CUR;
    return fseeko(AsFile(Stream), static_cast<off_t>(Offset), Whence) == 0;
}

std::int64_t StreamTell(tvHandle Stream) { return static_cast<std::int64_t>(ftello(AsFile(Stream))); }

bool StreamFlush(tvHandle Stream)
{
    return (!Injected(Faults::ESystemCall::Write) && std::fflush(AsFile(Stream)) == 0) || Failed<bool>();
}

bool StreamClose(tvHandle Stream) { return !Stream || std::fclose(AsFile(Stream)) == 0; }

// --- Attributes and access --------------------------------------------------------------------

tvULong FileGetAttributes(const tvWChar* Path)
{
    struct stat Info;
    return StatPath(Path, Info) ? AttributesOf(Info) : FileAttributesInvalid;
}

bool FileSetAttributes(const tvWChar* Path, tvULong Attributes)
{
    const FSystemPath SystemPath(Path);
    struct stat Info;
    if (!SystemPath.Ok() || stat(SystemPath.Get(), &Info) != 0)
        return Failed<bool>();
    mode_t Mode = Info.st_mode & 07777;
    if (Attributes & FileAttributeReadOnly)
        Mode &= ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        Mode |= S_IWUSR;
    return chmod(SystemPath.Get(), Mode) == 0 || Failed<bool>();
}

bool FileAccess(const tvWChar* Path, int Mode)
{
    const FSystemPath SystemPath(Path);
    struct stat Info;
    if (!SystemPath.Ok() || stat(SystemPath.Get(), &Info) != 0)
        return false;
    int SystemMode = F_OK;
    if (Mode & FileAccessRead)
        SystemMode |= R_OK;
    if (Mode & FileAccessWrite)
        SystemMode |= W_OK;
    if (access(SystemPath.Get(), SystemMode) != 0)
        return false;
    return !(Mode & FileAccessWrite) || !IsReadOnlyFile(Info);
}

bool FileCopy(const tvWChar* From, const tvWChar* To, bool FailIfExists)
{
    const FSystemPath Source(From);
    const FSystemPath Target(To);
    if (!Source.Ok() || !Target.Ok())
        return Failed<bool>(ENAMETOOLONG);
    const int In = Injected(Faults::ESystemCall::Open) ? -1 : open(Source.Get(), O_RDONLY | O_CLOEXEC);
    if (In < 0)
        return Failed<bool>();
    struct stat SourceInfo;
    if (fstat(In, &SourceInfo) != 0 || S_ISDIR(SourceInfo.st_mode)) {
        close(In);
        return false;
    }

    bool Ok = false;
    if (FailIfExists) {
        // The exclusive create is the existence test, so no other writer can slip in between.
        const int Out = Injected(Faults::ESystemCall::Open) ? -1 : open(Target.Get(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (Out >= 0) {
            Ok = CopyContents(In, Out, SourceInfo);
            Ok = CloseChecked(Out) && Ok;
            if (!Ok)
                unlink(Target.Get());
        }
    } else {
        struct stat TargetInfo;
        const bool Exists = stat(Target.Get(), &TargetInfo) == 0;
        if (!Exists || (!S_ISDIR(TargetInfo.st_mode) && !IsReadOnlyFile(TargetInfo))) {
            // Written beside the target and renamed over it: a failed copy never leaves a
            // half-written target, and an existing one stays as it was.
            char Temporary[GSystemPathBytes + 32];
            std::snprintf(Temporary, sizeof(Temporary), "%s.tvcopy-XXXXXX", Target.Get());
            const int Out = Injected(Faults::ESystemCall::Open) ? -1 : mkostemp(Temporary, O_CLOEXEC);
            if (Out >= 0) {
                Ok = CopyContents(In, Out, SourceInfo);
                // On the disk before the rename, so the name never points at a file that a
                // crash could leave empty.
                Ok = Ok && !Injected(Faults::ESystemCall::Sync) && fsync(Out) == 0;
                Ok = CloseChecked(Out) && Ok;
                Ok = Ok && !Injected(Faults::ESystemCall::Rename) && rename(Temporary, Target.Get()) == 0;
                if (!Ok)
                    unlink(Temporary);
            }
        }
    }
    if (!Ok)
        RecordSystemError();
    close(In);
    return Ok;
}

bool FileDelete(const tvWChar* Path)
{
    const FSystemPath SystemPath(Path);
    struct stat Info;
    if (!SystemPath.Ok() || lstat(SystemPath.Get(), &Info) != 0)
        return Failed<bool>();
    if (S_ISDIR(Info.st_mode) || (S_ISREG(Info.st_mode) && IsReadOnlyFile(Info)))
        return Failed<bool>(EACCES);
    return unlink(SystemPath.Get()) == 0 || Failed<bool>();
}

bool DirectoryCreate(const tvWChar* Path)
{
    const FSystemPath SystemPath(Path);
    return (SystemPath.Ok() && !Injected(Faults::ESystemCall::CreateDirectory) && mkdir(SystemPath.Get(), 0777) == 0) ||
           Failed<bool>();
}

// --- Directory search -------------------------------------------------------------------------

tvHandle DirectorySearchFirst(const tvWChar* Pattern, FFindData& Out)
{
    if (!Pattern || !*Pattern)
        return nullptr;
    const std::size_t Length = Wide::Length(Pattern);
    std::size_t NameStart = Length;
    while (NameStart > 0 && !IsSeparator(Pattern[NameStart - 1]))
        --NameStart;
    const tvWChar* NamePattern = Pattern + NameStart;
    if (!*NamePattern)
        return nullptr;  // a trailing separator names no entry, as on Windows

    FSearch* Search = new (std::nothrow) FSearch;
    if (!Search)
        return nullptr;
    bool Ok;
    if (Wildcard::HasWildcard(NamePattern)) {
        Ok = SearchDirectory(Pattern, NameStart, *Search);
    } else {
        struct stat Info;
        Ok = StatPath(Pattern, Info) && Wide::Length(NamePattern) < std::size_t(FFindData::NameCapacity) &&
             Search->Add(NamePattern, AttributesOf(Info));
    }
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
