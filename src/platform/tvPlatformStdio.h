// C streams on narrow paths, for the transfers that write what they receive straight to a
// file: open, 64-bit lengths, and the narrow path as library text (for the wide file services,
// such as FileReplace).
//
// Narrow paths are in the file system's encoding (UTF-8 on POSIX, the ANSI code page on
// Windows) and may use '\' or '/' as separators; the implementation turns them into the
// system's form.
#pragma once

#include "tvCore/core/tvTypes.h"

#include <cstdio>

namespace Tolvane {
namespace Platform {

// fopen with the C library's modes; null when the path does not fit or the file cannot be
// opened. Streams opened here are closed with std::fclose.
std::FILE* StdioOpen(const char* Path, const char* Mode);
// The length of an open stream's file in bytes (the stream is left at its end), -1 on error.
std::int64_t StdioLength(std::FILE* Stream);
// A narrow path as library text (UTF-16), for the library's wide file functions. False when it
// does not fit in Capacity units.
bool StdioPathToLibrary(const char* Path, tvWChar* Out, std::size_t Capacity);

} // namespace Platform
} // namespace Tolvane
