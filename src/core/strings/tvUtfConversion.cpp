// UTF-32 <-> UTF-16 on caller-owned arrays.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvCharConversion.h"

namespace Tolvane {

namespace {
constexpr tvULong GReplacement = 0xFFFD;
inline bool IsHigh(tvULong Unit) { return Unit >= 0xD800 && Unit <= 0xDBFF; }
inline bool IsLow(tvULong Unit) { return Unit >= 0xDC00 && Unit <= 0xDFFF; }
} // namespace

void apputf32Tutf16(tvUShort* Dst, int DstLen, const tvULong* Src, int SrcLen)
{
    if (!Dst || !Src)
        return;
    int Out = 0;
    for (int i = 0; i < SrcLen; ++i) {
        tvULong Value = Src[i];
        if (Value > 0x10FFFF)
            Value = GReplacement;
        if (Value <= 0xFFFF) {
            if (Out >= DstLen)
                return;
            Dst[Out++] = static_cast<tvUShort>(Value);
        } else {
            if (Out + 1 >= DstLen)
                return;
            Value -= 0x10000;
            Dst[Out++] = static_cast<tvUShort>(0xD800 + (Value >> 10));
            Dst[Out++] = static_cast<tvUShort>(0xDC00 + (Value & 0x3FF));
        }
    }
}

void apputf16Tutf32(tvULong* Dst, int DstLen, const tvUShort* Src, int SrcLen)
{
    if (!Dst || !Src)
        return;
    const int Limit = SrcLen < DstLen ? SrcLen : DstLen;
    int Out = 0;
    for (int i = 0; i < SrcLen && Out < Limit; ++i) {
        const tvULong Unit = Src[i];
        if (IsHigh(Unit) && i + 1 < SrcLen && IsLow(Src[i + 1])) {
            Dst[Out++] = (((Unit - 0xD800) << 10) | (tvULong(Src[i + 1]) - 0xDC00)) + 0x10000;
            ++i;
        } else {
            Dst[Out++] = (IsHigh(Unit) || IsLow(Unit)) ? GReplacement : Unit;
        }
    }
    while (Out < Limit)
        Dst[Out++] = 0;
}

} // namespace Tolvane
