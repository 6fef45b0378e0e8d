// Unicode code units and code points: surrogate tests, pairing, and the UTF-16 <-> UTF-8 codec.
// Stateless; every layer uses these instead of spelling the ranges again.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

namespace Tolvane {
namespace Unicode {
TVCORE_INTERNAL_BEGIN

constexpr char32_t GReplacementCharacter = 0xFFFD;
constexpr char32_t GMaxCodePoint = 0x10FFFF;

constexpr bool IsHighSurrogate(char32_t Unit) { return Unit >= 0xD800 && Unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t Unit) { return Unit >= 0xDC00 && Unit <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t Unit) { return Unit >= 0xD800 && Unit <= 0xDFFF; }
// The code point of a high and a low surrogate.
constexpr char32_t CombineSurrogates(char32_t High, char32_t Low)
{
    return 0x10000 + ((High - 0xD800) << 10) + (Low - 0xDC00);
}
// The surrogates of a code point above U+FFFF.
constexpr tvWChar HighSurrogateOf(char32_t CodePoint) { return tvWChar(0xD800 + ((CodePoint - 0x10000) >> 10)); }
constexpr tvWChar LowSurrogateOf(char32_t CodePoint) { return tvWChar(0xDC00 + ((CodePoint - 0x10000) & 0x3FF)); }

// Encodes Count units of UTF-16 (Count < 0: up to the terminator) as UTF-8 into Out, with a
// terminator. An unpaired surrogate becomes U+FFFD. Returns the bytes written without the
// terminator, or -1 when Out (OutCapacity bytes) is too small; Out is then "" when
// OutCapacity > 0. Never writes past Out[OutCapacity - 1].
int Utf16ToUtf8(const tvWChar* In, int Count, char* Out, std::size_t OutCapacity);

// Decodes UTF-8 (Count < 0: up to the terminator) into UTF-16 with a terminator. Malformed
// sequences become U+FFFD. Returns the units written without the terminator, or -1 when Out
// (OutCapacity units) is too small; Out is then empty when OutCapacity > 0.
int Utf8ToUtf16(const char* In, int Count, tvWChar* Out, std::size_t OutCapacity);

// Whether Count bytes are well-formed UTF-8 throughout: no cut or overlong sequence, no
// surrogate, nothing above U+10FFFF.
bool IsValidUtf8(const char* In, std::size_t Count);

TVCORE_INTERNAL_END
} // namespace Unicode
} // namespace Tolvane
