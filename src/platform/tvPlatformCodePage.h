// Code-page conversion between narrow text and UTF-16, with the conventions of the system
// conversion calls for flags 0:
// - SourceLength -1: the source is zero-terminated and its terminator is converted too;
//   0 or below -1 fails.
// - DestLength 0: nothing is written; the result is the room the text needs.
// - The result is the number of units (or bytes) written; 0 on failure: a null source,
//   too little room (what fits is written), an unknown code page.
// - Narrow text that does not decode becomes U+FFFD in UTF-8, the code page's default
//   character elsewhere (U+30FB in 932, '?' otherwise); a lone surrogate, and a character
//   the narrow code page cannot hold, become its default character (U+FFFD's bytes in UTF-8,
//   '?' elsewhere).
// Code page 0 is the library's ANSI code page setting; 65001 is UTF-8.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

constexpr unsigned GCodePageAnsi = 0;
constexpr unsigned GCodePageUtf8 = 65001;

int MultiByteToWide(unsigned CodePage, const char* Source, int SourceLength, tvWChar* Dest, int DestLength);
int WideToMultiByte(unsigned CodePage, const tvWChar* Source, int SourceLength, char* Dest, int DestLength);

// The code page that code page 0 stands for. Setting fails (returns false) for a code page
// this system cannot convert.
unsigned AnsiCodePage();
bool SetAnsiCodePage(unsigned CodePage);

} // namespace Platform
} // namespace Tolvane
