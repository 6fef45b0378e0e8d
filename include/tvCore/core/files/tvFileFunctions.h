// Free file functions on zero-terminated wide paths. '\' and '/' both separate directories.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// 1 when the file or directory exists, else 0.
TVCORE_API int appIsFileExist(const tvWChar* Path);
// 1 when it exists and may be read, else 0.
TVCORE_API int appIsFileReadable(const tvWChar* Path);
// 1 when it exists and may be written, else 0; a read-only file is never writable.
TVCORE_API int appIsFileWritable(const tvWChar* Path);
// Copies From to To; with FailIfExists an existing To is an error. Non-zero on success.
TVCORE_API int appCopyFile(const tvWChar* From, const tvWChar* To, bool FailIfExists);
// Deletes a file (not a directory, not a read-only file); the result is not reported.
TVCORE_API void appDeleteFile(const tvWChar* Path);
// Clears the read-only attribute.
TVCORE_API void appSetFileWritable(const tvWChar* Path);
// Creates a directory and every missing parent; with StripFileName the path ends in a file
// name that is removed first. Existing directories are no error, nothing is reported. Paths
// of 260 units or more (the working buffers' size with the terminator) are refused whole:
// nothing is created.
TVCORE_API void appSafeCreateDirectory(const tvWChar* Path, bool StripFileName);

} // namespace Tolvane
