// The platform seam for text: code-page conversion between narrow text and UTF-16, and library
// paths in the form the system's calls take them.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"
#include "base/tvPathLimits.h"

namespace Tolvane {
namespace Platform {
TVCORE_INTERNAL_BEGIN

// --- Code pages -------------------------------------------------------------------------------
// Code-page conversion between narrow text and UTF-16, with the conventions of the system
// conversion calls for flags 0:
// - SourceLength -1: the source is zero-terminated and its terminator is converted too;
//   0 or below -1 fails.
// - DestLength 0: nothing is written; the result is the room the text needs.
// - The result is the number of units (or bytes) written; 0 on failure: a null source,
//   too little room (what fits is written), or input that is not valid in its encoding
//   (a malformed byte sequence, a lone surrogate).
// - Characters that the narrow code page cannot hold become '?', as the system's default
//   character does.
// Code page 0 is the library's ANSI code page setting; 65001 is UTF-8.
constexpr unsigned GCodePageAnsi = 0;
constexpr unsigned GCodePageUtf8 = 65001;

int MultiByteToWide(unsigned CodePage, const char* Source, int SourceLength, tvWChar* Dest, int DestLength);
int WideToMultiByte(unsigned CodePage, const tvWChar* Source, int SourceLength, char* Dest, int DestLength);

// The code page that code page 0 stands for. Setting fails (returns false) for a code page
// this system cannot convert.
unsigned AnsiCodePage();
bool SetAnsiCodePage(unsigned CodePage);

// --- System paths -----------------------------------------------------------------------------
// A library path as the system's calls take it: in the file system's encoding, with the
// system's separators. Ok() is false when
// the path is null or does not fit (the buffer is the system's own path limit).
class FSystemPath {
public:
    explicit FSystemPath(const tvWChar* Path);
    bool Ok() const { return Valid; }
    const char* Get() const { return Text; }

private:
    static constexpr std::size_t Capacity = GSystemPathBytes;
    char Text[Capacity];
    bool Valid;
};

TVCORE_INTERNAL_END
} // namespace Platform
} // namespace Tolvane
