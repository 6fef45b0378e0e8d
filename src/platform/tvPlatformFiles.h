// Files and directories at the platform seam: byte streams by handle, attributes, access
// checks, copy, delete, directory creation and directory search. Every path is library text
// (UTF-16, '\' or '/' as separators); the implementation turns it into the system's form.
// The names avoid the Windows SDK's macros (CopyFile, DeleteFile, ...) so the win32 folder
// can include its headers without renaming these.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// --- Byte streams -----------------------------------------------------------------------------
// A buffered stream over one open file, the stand-in for the C runtime's "rb"/"wb" streams.
enum class EStreamMode {
    ReadBinary,   // the file must exist
    WriteBinary,  // created, or truncated when it exists
};
enum class EStreamOrigin { Begin, Current, End };

// Null when the file cannot be opened (missing, a directory, no permission, path too long).
tvHandle StreamOpen(const tvWChar* Path, EStreamMode Mode);
// Bytes actually moved; fewer than asked at the end of the file or on an error.
std::size_t StreamRead(tvHandle Stream, void* Buffer, std::size_t Bytes);
std::size_t StreamWrite(tvHandle Stream, const void* Buffer, std::size_t Bytes);
bool StreamSeek(tvHandle Stream, std::int64_t Offset, EStreamOrigin Origin);
// The stream's position in bytes, or -1 on an error.
std::int64_t StreamTell(tvHandle Stream);
bool StreamFlush(tvHandle Stream);
// Flushes, closes and releases the stream; the handle is invalid afterwards, even when the
// result is false (buffered bytes could not be written). Null is ignored and gives true.
bool StreamClose(tvHandle Stream);

// --- Attributes and access --------------------------------------------------------------------
// Attribute bits as the interface knows them. Where the system has no read-only attribute, it is
// the owner-write permission bit being clear.
constexpr tvULong FileAttributeReadOnly = 0x01;
constexpr tvULong FileAttributeDirectory = 0x10;
constexpr tvULong FileAttributeNormal = 0x80;       // a file with no other attribute
constexpr tvULong FileAttributesInvalid = 0xFFFFFFFF;

// The attributes of a file or directory, FileAttributesInvalid when it does not exist.
tvULong FileGetAttributes(const tvWChar* Path);
// Applies the read-only bit of Attributes (the only one every system can carry); false when the
// file does not exist or cannot be changed.
bool FileSetAttributes(const tvWChar* Path, tvULong Attributes);

// Access check modes, combinable: 0 existence, 2 write, 4 read.
constexpr int FileAccessExists = 0;
constexpr int FileAccessWrite = 2;
constexpr int FileAccessRead = 4;
// True when the path exists and allows the access. Write access to a file also needs its
// read-only attribute clear, for every user (the superuser included), as on Windows.
bool FileAccess(const tvWChar* Path, int Mode);

// Copies the contents, permissions and modification time of From to To. With FailIfExists an
// existing To is an error (exclusive create, no race); otherwise To is replaced as a whole, and
// a read-only To is refused. A copy that fails leaves no partial To behind and an existing To
// unchanged.
bool FileCopy(const tvWChar* From, const tvWChar* To, bool FailIfExists);
// Removes a file; refused for directories and for read-only files, as on Windows.
bool FileDelete(const tvWChar* Path);
// Creates one directory; false when it exists already or its parent is missing.
bool DirectoryCreate(const tvWChar* Path);

// --- Directory search -------------------------------------------------------------------------
// One entry of a search: its attributes and its name without the directory part.
struct FFindData {
    static constexpr int NameCapacity = 260;
    tvULong Attributes;
    tvWChar Name[NameCapacity];
};

// Starts a search for Pattern: a directory path followed by a name that may hold the
// wildcards '*' and '?' (case-insensitive; a trailing ".*" also matches names without a dot,
// so "*.*" matches every name). Without wildcards the one named file or directory is found.
// Entries come in name order, "." first and ".." second when the pattern matches them, as on
// Windows. Returns null when nothing matches; else the search with its first entry in Out.
tvHandle DirectorySearchFirst(const tvWChar* Pattern, FFindData& Out);
// The next entry; false at the end.
bool DirectorySearchNext(tvHandle Search, FFindData& Out);
// Ends the search. Null is ignored.
void DirectorySearchClose(tvHandle Search);

} // namespace Platform
} // namespace Tolvane
