// The transfer of one URL into a temporary file, and the plain download around it: the part of
// the download manager that talks to libcurl. Private to the library.
#pragma once

#include "tvCore/net/tvDownloadMgr.h"
#include "base/tvCompiler.h"

namespace Tolvane {
namespace Net {

// The file name suffix of a download's temporary file.
constexpr char GTempSuffix[] = ".tmp";
// Room for a local path with the suffix, terminator included.
constexpr int GTempPathCapacity = DownloadTask::TextCapacity + static_cast<int>(sizeof GTempSuffix) - 1;

// Appends the suffix to LocalPath into Out (GTempPathCapacity bytes); false when it is too long.
bool MakeTempPath(const char* LocalPath, char* Out);

// The bytes of the file at Path ("ab+", end, position, close), 0 when it cannot be opened.
std::uint64_t FileLengthOf(const char* Path);

// Runs the download of Task into Task.LocalPath through its ".tmp" file, resuming from what
// the ".tmp" holds, with Owner's progress function, cancel and pause flags. True when the
// target now holds the whole file. On failure the ".tmp" stays for the next attempt.
bool RunPlainDownload(const DownloadTask& Task, CDownLoadMgr& Owner);

// Certificate authorities that HTTPS transfers trust from now on, in place of the system's: a
// PEM file, or null for the system's again. For tests with a certificate of their own.
TVCORE_INTERNAL void SetTrustedCaFile(const char* Path);

} // namespace Net
} // namespace Tolvane
