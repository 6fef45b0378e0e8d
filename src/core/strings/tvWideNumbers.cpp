// Number parsing on UTF-16 text with the Windows runtime's wcstol / wcstoul / wcstod / _wtoi /
// _wtof behaviour in the "C" locale, whatever locale the host process has set.
#include "base/tvPrelude.h"
#include "core/strings/tvWideRuntime.h"

#include "platform/tvPlatformNumbers.h"
#include "tvCore/core/tvGlobals.h"

#include <cerrno>

namespace Tolvane {
namespace Wide {

int DecimalDigitValue(tvWChar C)
{
    if (C >= u'0' && C <= u'9')
        return C - u'0';
    if (C < 0x0660)
        return -1;
    // The zero of each Unicode decimal digit block that the Windows runtime reads as digits.
    static const tvWChar GZeros[] = {0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66,
                                     0x0CE6, 0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810,
                                     0xFF10};
    for (tvWChar Zero : GZeros)
        if (C >= Zero && C < Zero + 10)
            return C - Zero;
    return -1;
}

namespace {

inline int DigitInBase(tvWChar C, int Base)
{
    int D = DecimalDigitValue(C);
    if (D < 0) {
        if (C >= u'a' && C <= u'z')
            D = C - u'a' + 10;
        else if (C >= u'A' && C <= u'Z')
            D = C - u'A' + 10;
        else
            return -1;
    }
    return D < Base ? D : -1;
}

// Sign, base prefix and digits of an integer. The magnitude stops growing once it passes 32
// bits (Overflow); the digits are still consumed, so the end is after all of them.
struct FInteger {
    std::uint64_t Magnitude = 0;
    bool Negative = false;
    bool Overflow = false;
    bool Found = false;
    const tvWChar* End;
};

FInteger ParseInteger(const tvWChar* Text, int Base)
{
    FInteger R;
    R.End = Text;
    if (Base < 0 || Base == 1 || Base > 36) {
        errno = EINVAL;
        return R;
    }
    const tvWChar* P = Text;
    while (IsSpace(*P))
        ++P;
    if (*P == u'-' || *P == u'+')
        R.Negative = *P++ == u'-';
    if ((Base == 0 || Base == 16) && P[0] == u'0' && (P[1] == u'x' || P[1] == u'X')) {
        // "0x" counts as a prefix only before a hex digit; otherwise the number is the "0".
        if (DigitInBase(P[2], 16) >= 0)
            P += 2;
        Base = 16;
    } else if (Base == 0) {
        Base = P[0] == u'0' ? 8 : 10;
    }
    const tvWChar* Digits = P;
    for (int D; (D = DigitInBase(*P, Base)) >= 0; ++P) {
        if (!R.Overflow) {
            R.Magnitude = R.Magnitude * unsigned(Base) + unsigned(D);
            R.Overflow = R.Magnitude > 0xFFFFFFFFu;
        }
    }
    if (P == Digits)
        return R;
    R.Found = true;
    R.End = P;
    return R;
}

inline void SetEnd(const tvWChar** End, const tvWChar* Value)
{
    if (End)
        *End = Value;
}

// Whether C belongs to the text strtod may read: digits, letters (exponents, hex digits, inf,
// nan and its tag), the point, signs, parentheses and '_' of a nan tag.
inline bool IsNumberUnit(tvWChar C)
{
    return (C >= u'0' && C <= u'9') || (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z') ||
           C == u'.' || C == u'+' || C == u'-' || C == u'(' || C == u')' || C == u'_';
}

} // namespace

tvLong ToLong(const tvWChar* Text, const tvWChar** End, int Base)
{
    const FInteger R = ParseInteger(Text, Base);
    SetEnd(End, R.End);
    if (!R.Found)
        return 0;
    const std::uint64_t Limit = R.Negative ? 0x80000000u : 0x7FFFFFFFu;
    if (R.Overflow || R.Magnitude > Limit) {
        errno = ERANGE;
        return R.Negative ? INT32_MIN : INT32_MAX;
    }
    return R.Negative ? tvLong(0 - std::int64_t(R.Magnitude)) : tvLong(R.Magnitude);
}

tvULong ToULong(const tvWChar* Text, const tvWChar** End, int Base)
{
    const FInteger R = ParseInteger(Text, Base);
    SetEnd(End, R.End);
    if (!R.Found)
        return 0;
    if (R.Overflow) {
        errno = ERANGE;
        return 0xFFFFFFFFu;  // not negated, even after a '-'
    }
    // A '-' negates in unsigned arithmetic: "-1" is 4294967295.
    return R.Negative ? tvULong(0u - tvULong(R.Magnitude)) : tvULong(R.Magnitude);
}

double ToDouble(const tvWChar* Text, const tvWChar** End)
{
    const tvWChar* P = Text;
    while (IsSpace(*P))
        ++P;
    // The number's units are copied as ASCII (Unicode digits as their ASCII digit), one byte
    // per unit, so an end in the copy is the same offset in the text.
    std::size_t N = 0;
    while (IsNumberUnit(P[N]) || DecimalDigitValue(P[N]) >= 0)
        ++N;
    char Local[128];
    char* Copy = Local;
    if (N >= sizeof(Local)) {
        Copy = static_cast<char*>(GMalloc->Malloc(unsigned(N) + 1));
        if (!Copy) {
            // Without memory only the first units are read: still a number, never an overrun.
            Copy = Local;
            N = sizeof(Local) - 1;
        }
    }
    for (std::size_t i = 0; i < N; ++i) {
        const int D = DecimalDigitValue(P[i]);
        Copy[i] = D >= 0 ? char('0' + D) : char(P[i]);
    }
    Copy[N] = 0;
    char* CopyEnd = Copy;
    const double Value = Platform::ParseDoubleC(Copy, &CopyEnd);
    SetEnd(End, CopyEnd == Copy ? Text : P + (CopyEnd - Copy));
    if (Copy != Local)
        GMalloc->Free(Copy);
    return CopyEnd == Copy ? 0.0 : Value;
}

int AtoI(const tvWChar* Text)
{
    return int(ToLong(Text, nullptr, 10));
}

double AtoF(const tvWChar* Text)
{
    return ToDouble(Text, nullptr);
}

} // namespace Wide
} // namespace Tolvane
