// A C stream whose bytes collect in memory, for third-party code that prints only to a FILE*
// (the XML library's document printer). The bytes are the system's to allocate, so they are
// given back through MemoryFileFree, never through GMalloc.
#pragma once

#include "tvCore/core/tvTypes.h"

#include <cstdio>

namespace Tolvane {
namespace Platform {

struct FMemoryFile {
    std::FILE* Stream = nullptr;  // open for writing between Open and Close
    char* Data = nullptr;         // the bytes written, valid after a successful Close
    std::size_t Size = 0;
};

// Opens File.Stream; false when the system refuses. File must stay at its address until Close.
bool MemoryFileOpen(FMemoryFile& File);
// Flushes and closes the stream; Data and Size then hold every byte written. False when any
// write or the close failed (memory refused); Data is then released.
bool MemoryFileClose(FMemoryFile& File);
// Releases Data (and a stream still open).
void MemoryFileFree(FMemoryFile& File);

} // namespace Platform
} // namespace Tolvane
