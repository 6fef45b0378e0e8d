// CRC-32 of zip members: 64 bytes at a time folded in four 128-bit lanes with carry-less
// multiplication, the last block and the tail finished by zlib. Without those instructions zlib
// computes the whole of it.
#include "base/tvPrelude.h"

#include "packages/tvZipChecksum.h"

#include <zlib.h>

#if TVCORE_HAS_CLMUL_TARGET
#include <immintrin.h>
#endif

namespace Tolvane {

namespace {

std::uint32_t ZlibCrc32(std::uint32_t Crc, const unsigned char* Data, std::size_t Length)
{
    // zlib takes at most a uInt per call.
    constexpr std::size_t Step = 1u << 30;
    while (Length > 0) {
        const std::size_t Count = Length < Step ? Length : Step;
        Crc = static_cast<std::uint32_t>(crc32(Crc, Data, static_cast<uInt>(Count)));
        Data += Count;
        Length -= Count;
    }
    return Crc;
}

#if TVCORE_HAS_CLMUL_TARGET

// Folding constants of the bit-reflected polynomial 0xEDB88320: x^(n+32) and x^(n-32) mod P
// (reflected, shifted left once) for the distances n = 512 (four lanes) and 128 (one lane).
constexpr long long Fold512Low = 0x154442bd4LL;
constexpr long long Fold512High = 0x1c6e41596LL;
constexpr long long Fold128Low = 0x1751997d0LL;
constexpr long long Fold128High = 0x0ccaa009eLL;

TVCORE_TARGET_CLMUL inline __m128i Fold(__m128i Lane, __m128i Constants, __m128i Next)
{
    const __m128i Low = _mm_clmulepi64_si128(Lane, Constants, 0x00);
    const __m128i High = _mm_clmulepi64_si128(Lane, Constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(Low, High), Next);
}

TVCORE_TARGET_CLMUL inline __m128i Load(const unsigned char* At)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(At));
}

// Length is at least 64. The lanes keep the message's remainder: the raw register of zlib's
// convention (the complement of Crc) enters through the first four bytes, and the folded
// 16 bytes with the tail behind them give the same raw remainder as the whole message.
TVCORE_TARGET_CLMUL std::uint32_t FoldedCrc32(std::uint32_t Crc, const unsigned char* Data, std::size_t Length)
{
    const __m128i By512 = _mm_set_epi64x(Fold512High, Fold512Low);
    const __m128i By128 = _mm_set_epi64x(Fold128High, Fold128Low);
    __m128i Lane0 = _mm_xor_si128(Load(Data), _mm_cvtsi32_si128(static_cast<int>(~Crc)));
    __m128i Lane1 = Load(Data + 16);
    __m128i Lane2 = Load(Data + 32);
    __m128i Lane3 = Load(Data + 48);
    Data += 64;
    Length -= 64;
    while (Length >= 64) {
        Lane0 = Fold(Lane0, By512, Load(Data));
        Lane1 = Fold(Lane1, By512, Load(Data + 16));
        Lane2 = Fold(Lane2, By512, Load(Data + 32));
        Lane3 = Fold(Lane3, By512, Load(Data + 48));
        Data += 64;
        Length -= 64;
    }
    Lane0 = Fold(Lane0, By128, Lane1);
    Lane0 = Fold(Lane0, By128, Lane2);
    Lane0 = Fold(Lane0, By128, Lane3);
    while (Length >= 16) {
        Lane0 = Fold(Lane0, By128, Load(Data));
        Data += 16;
        Length -= 16;
    }
    unsigned char Last[32];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Last), Lane0);
    std::memcpy(Last + 16, Data, Length);
    // zlib's start value 0xFFFFFFFF is a raw register of 0.
    return static_cast<std::uint32_t>(crc32(0xFFFFFFFFu, Last, static_cast<uInt>(16 + Length)));
}

bool UseFolding()
{
    static const bool Supported = TVCORE_CPU_HAS_CLMUL();
    return Supported;
}

#endif

} // namespace

std::uint32_t ZipCrc32(std::uint32_t Crc, const void* Data, std::size_t Length)
{
    const unsigned char* Bytes = static_cast<const unsigned char*>(Data);
#if TVCORE_HAS_CLMUL_TARGET
    if (Length >= 64 && UseFolding())
        return FoldedCrc32(Crc, Bytes, Length);
#endif
    return ZlibCrc32(Crc, Bytes, Length);
}

} // namespace Tolvane
