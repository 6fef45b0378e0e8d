// The records of a ".lin" recording as far as they can be told apart. The file stores, per open,
// one byte (1 opened, 0 not) and for an opened file its size (4 bytes, little-endian); then the
// bytes every read asked for, with no lengths. Reads are therefore taken to cover each opened
// file whole, in order (how files are loaded through the library); a flag byte that is neither
// 0 nor 1 where the next record should start shows that the recording read otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tvtool {

struct FLinRecord {
    std::uint64_t Offset;     // of the flag byte
    bool Opened;
    std::uint32_t Size;       // the file's size (0 when not opened)
    std::uint64_t BytesRead;  // the recorded bytes taken as this file's reads
};

struct FLinRecords {
    std::vector<FLinRecord> Records;
    // Empty when the whole file was split into records. Otherwise why it stopped, at StopOffset.
    std::string Problem;
    std::uint64_t StopOffset = 0;
    // The last opened file's reads end early (the recording stopped before reading it whole).
    bool LastShort = false;
};

FLinRecords ParseLinRecords(const unsigned char* Data, std::size_t Size);

} // namespace tvtool
