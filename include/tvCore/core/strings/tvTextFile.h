// Whole files to and from memory through the global file manager, so they work with whatever
// manager is installed (native, record/replay, IMG archive, zip package). Text files are
// single-byte text in the ANSI code page, or UTF-16 starting with the byte order mark FF FE
// (little-endian) or FE FF (big-endian).
#pragma once

#include "tvCore/core/strings/tvString.h"
#include "tvCore/core/strings/tvArray.h"

namespace Tolvane {

// Reads a text file into Text, up to its first 0 character. FF FE: UTF-16LE after the mark;
// FE FF: UTF-16BE after the mark (logged as a change of byte order); anything else: bytes in
// the ANSI code page up to the first 0 byte. A UTF-16 file's odd last byte is dropped.
// 0, with Text unchanged, for a file that cannot be opened or fully read, one of 2 bytes or
// less, one too large to hold, or when memory is refused.
TVCORE_API int appLoadFileToString(FString& Text, const tvWChar* FileName);
// Writes Text: one byte per character (Latin-1) when every character is below 256, else FF FE
// and the UTF-16LE units; no terminator. 0 for an empty text (nothing is touched), a file that
// cannot be created, or a writer that loses bytes. On the machine's own files an existing file
// is replaced only by a complete new one.
TVCORE_API int appSaveStringToFile(const FString& Text, const tvWChar* FileName);
// Reads a whole file into Bytes. 0, with Bytes unchanged, for a file that cannot be opened or
// fully read, or when memory is refused.
TVCORE_API int appLoadFileToArray(TArray<unsigned char>& Bytes, const tvWChar* FileName);
// Writes Size bytes (none makes an empty file) as the whole file, through the global file
// manager. On the machine's own files an existing file is replaced only by a complete new one.
// 1 when the file holds every byte; 0 for a null name or data, a file that cannot be created
// or a writer that loses bytes.
TVCORE_API int appSaveBytesToFile(const void* Data, tvULong Size, const tvWChar* FileName);

} // namespace Tolvane
