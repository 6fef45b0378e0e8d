// Text conversion between the library's ANSI code page and wide UTF-16, and between UTF-16 and
// UTF-32, on zero-terminated buffers owned by the caller. None of these allocates.
//
// The ANSI/wide functions convert the source with its terminator. Room is counted in
// characters of the destination unless the name says bytes. A conversion that fails (room too
// small, text that the code page cannot carry, a null source) returns 0 and leaves a
// destination with room for at least one character holding the empty text, never a partial,
// unterminated one.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// ANSI to wide into Dst (Room characters).
TVCORE_API void appcharTwchar(const char* Src, tvWChar* Dst, int Room);
// Wide to ANSI into Dst (Room bytes).
TVCORE_API void appwcharTchar(const tvWChar* Src, char* Dst, int Room);
// ANSI to wide; returns Dst.
TVCORE_API tvWChar* winToUNICODE(tvWChar* Dst, const char* Src, int Room);
// Wide to ANSI; returns Dst.
TVCORE_API char* winToANSI(char* Dst, const tvWChar* Src, int Room);
// Wide characters the converted text needs, terminator included; 0 when it does not convert.
TVCORE_API int winGetSizeUNICODE(const char* Src);
// Bytes the converted text needs, terminator included; 0 when it does not convert.
TVCORE_API int winGetSizeANSI(const tvWChar* Src);

// ANSI to wide with the room in bytes (RoomBytes / 2 characters). Returns the bytes written,
// terminator included; with a null Dst and a room of 0, the bytes needed, writing nothing. A
// room of less than one character with a Dst returns 0. Any other failure shows the reason
// in a message box captioned "Error" and returns 0.
TVCORE_API int appAnsiToUnicode(tvWChar* Dst, const char* Src, int RoomBytes);
// Wide to ANSI with the room in bytes. Returns the bytes written, terminator included; with a
// null Dst and a room of 0, the bytes needed, writing nothing. 0 on failure, silently.
TVCORE_API int appUnicodeToAnsi(char* Dst, const tvWChar* Src, int RoomBytes);

// UTF-32 to UTF-16: each of the SrcLen values becomes one unit (up to 0xFFFF) or a surrogate
// pair (0x10000 to 0x10FFFF); a value beyond 0x10FFFF, which no UTF-16 text can hold, becomes
// U+FFFD. The output is packed: up to 2 x SrcLen units. Writing stops before a value that does
// not fit in DstLen units.
TVCORE_API void apputf32Tutf16(tvUShort* Dst, int DstLen, const tvULong* Src, int SrcLen);
// UTF-16 to UTF-32: each unit outside 0xD800 to 0xDFFF is one value; a high surrogate followed
// by a low one is the one code point they stand for; any other surrogate unit is U+FFFD. The
// output is packed, so a text without pairs keeps every unit at its own index; each pair
// shortens the output by one, and the positions this frees, up to SrcLen, are filled with 0
// (the converted text is then zero-terminated). Nothing is written at DstLen or beyond.
TVCORE_API void apputf16Tutf32(tvULong* Dst, int DstLen, const tvUShort* Src, int SrcLen);

} // namespace Tolvane
