// Text at the platform boundary: UTF-16 library text to and from the UTF-8 that POSIX system
// calls take (file names, process command lines, lock names), and the path rule that turns
// the interface's '\' separators into the system's '/'.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// Encodes Count units of UTF-16 (Count < 0: up to the terminator) as UTF-8 into Out, with a
// terminator. An unpaired surrogate becomes U+FFFD. Returns the bytes written without the
// terminator, or -1 when Out (OutCapacity bytes) is too small; Out is then "" when
// OutCapacity > 0. Never writes past Out[OutCapacity - 1].
int Utf16ToUtf8(const tvWChar* In, int Count, char* Out, std::size_t OutCapacity);

// Decodes UTF-8 (Count < 0: up to the terminator) into UTF-16 with a terminator. Malformed
// sequences become U+FFFD. Returns the units written without the terminator, or -1 when Out
// (OutCapacity units) is too small; Out is then empty when OutCapacity > 0.
int Utf8ToUtf16(const char* In, int Count, tvWChar* Out, std::size_t OutCapacity);

// A library path as the system takes it: UTF-8, every '\' turned into '/'. Ok() is false when
// the path is null or does not fit (the buffer is the system's own path limit).
class FSystemPath {
public:
    explicit FSystemPath(const tvWChar* Path);
    bool Ok() const { return Valid; }
    const char* Get() const { return Text; }

private:
    static constexpr std::size_t Capacity = 4096;
    char Text[Capacity];
    bool Valid;
};

} // namespace Platform
} // namespace Tolvane
