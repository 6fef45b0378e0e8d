// C streams on narrow paths, for the transfers that write what they receive straight to a
// file: open, 64-bit lengths, committing to disk, and replacing a file by another at once.
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
// Flushes the stream's buffers and the system's cache of the file to the disk.
bool StdioCommit(std::FILE* Stream);
// Renames From to To, replacing an existing To in one step: To is always either the old file
// or the new one, never missing.
bool StdioReplace(const char* From, const char* To);
// A narrow path as library text (UTF-16), for the library's wide file functions. False when it
// does not fit in Capacity units.
bool StdioPathToLibrary(const char* Path, tvWChar* Out, std::size_t Capacity);

} // namespace Platform
} // namespace Tolvane
