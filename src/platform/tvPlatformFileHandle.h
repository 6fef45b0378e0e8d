// Files by handle at the platform seam: the stand-ins for CreateFileW, ReadFile, WriteFile,
// SetFilePointer, GetFileSize, FlushFileBuffers and CloseHandle that the IMG loaders, the raw
// readers and the raw writer use. Paths are library text ('\' or '/' as separators). A handle
// is null when no file is open (the seam never hands out an "invalid handle" value).
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// Opens an existing file for reading; other openers may read it too. Null when it does not
// exist, is a directory or cannot be read.
tvHandle FileHandleOpenRead(const tvWChar* Path);

// How other openers may use a file created for writing. POSIX has no share modes: both give a
// plain descriptor there; the Windows layer passes them on to CreateFileW.
enum class EFileShare { None, Read };
// Creates a file for writing, always anew: an existing file is truncated. Null on failure.
tvHandle FileHandleCreateWrite(const tvWChar* Path, EFileShare Share);

// Reads up to Bytes at the file pointer, retrying after interruptions and short reads; returns
// the bytes read (fewer only at the end of the file or on an error).
tvULong FileHandleRead(tvHandle File, void* Buffer, tvULong Bytes);
// Writes all of Bytes; false when not everything could be written.
bool FileHandleWrite(tvHandle File, const void* Buffer, tvULong Bytes);
// Moves the file pointer to Offset bytes from the beginning.
bool FileHandleSeek(tvHandle File, std::uint64_t Offset);
// The file's size in bytes, or -1 on an error.
std::int64_t FileHandleSize(tvHandle File);
// Hands the file's written bytes to the disk.
bool FileHandleFlush(tvHandle File);
// Closes the file; null is ignored.
void FileHandleClose(tvHandle File);

// Creates a new, empty temporary file for writing beside Target (in its directory, named after
// it with a unique ending) and writes its path into TemporaryPath (Capacity units). Null when
// it cannot be created or the path does not fit.
tvHandle FileHandleCreateTemporary(const tvWChar* Target, tvWChar* TemporaryPath, int Capacity);

// Removes a file (a temporary one that is given up).
bool FileRemove(const tvWChar* Path);

} // namespace Platform
} // namespace Tolvane
