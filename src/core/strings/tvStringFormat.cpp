// FString::Format and FormatV on the library's wide formatter.
//
// Both always produce the whole text: the formatter reports the length the text needs, and a
// text that does not fit the first buffer is formatted again into one of exactly that size.
// Format first tries a 4096-unit working area on the stack; FormatV first reserves the
// estimate below and formats straight into the string's own buffer.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvString.h"

#include "core/strings/tvWideRuntime.h"

#include <climits>

namespace Tolvane {

namespace {

constexpr int GWorkingArea = 4096;

inline bool IsFlag(tvWChar C)
{
    return C == u'#' || C == u'*' || C == u'-' || C == u'+' || C == u'0' || C == u' ';
}

inline int ReadDecimal(const tvWChar*& P)
{
    long long V = 0;
    while (Wide::IsDigit(*P)) {
        if (V < INT_MAX)
            V = V * 10 + (*P - u'0');
        ++P;
    }
    return V > INT_MAX ? INT_MAX : int(V);
}

inline long long AtLeast(long long V, long long Floor) { return V < Floor ? Floor : V; }

// The reservation FormatV makes before formatting: an upper bound for the directives
// %c %C %s %d %i %o %p %u %x %X %e %g %G %f %n without length modifiers. The walk consumes
// the arguments on a copy of the list. It stops at anything it cannot read safely (a length
// modifier, %S, which takes narrow text in a wide format, another conversion, a lone '%'),
// since reading an argument as the wrong type could run through memory; the text is sized
// exactly afterwards in any case.
long long EstimateLength(const tvWChar* Format, va_list Args)
{
    va_list Ap;
    va_copy(Ap, Args);
    long long Bound = 0;
    for (const tvWChar* P = Format; *P; ) {
        if (*P != u'%' || P[1] == u'%') {
            if (*P == u'%')
                ++P;  // the second '%' of "%%" counts like a plain character
            Bound += (long long)Wide::Length(P);
            ++P;
            continue;
        }
        ++P;
        int Width = 0;
        for (; IsFlag(*P); ++P) {
            if (*P == u'#')
                Bound += 2;
            else if (*P == u'*')
                Width = va_arg(Ap, int);
        }
        if (Width == 0)
            Width = ReadDecimal(P);
        int Precision = 0;
        if (*P == u'.') {
            ++P;
            if (*P == u'*') {
                Precision = va_arg(Ap, int);
                ++P;
            } else {
                Precision = ReadDecimal(P);
            }
        }
        long long Amount = 0;
        const tvWChar Conversion = *P;
        switch (Conversion) {
        case u'c': case u'C':
            (void)va_arg(Ap, int);
            Amount = 2;
            break;
        case u's': {
            const tvWChar* Text = va_arg(Ap, const tvWChar*);
            Amount = Text ? AtLeast((long long)Wide::Length(Text), 1) : 6;
            break;
        }
        case u'd': case u'i': case u'o': case u'u': case u'x': case u'X':
            (void)va_arg(Ap, int);
            Amount = AtLeast((long long)Width + Precision, 32);
            break;
        case u'p':
            (void)va_arg(Ap, void*);
            Amount = AtLeast((long long)Width + Precision, 32);
            break;
        case u'e': case u'g': case u'G':
            (void)va_arg(Ap, double);
            Amount = AtLeast((long long)Width + Precision, 128);
            break;
        case u'f': {
            tvWChar Number[512];
            const int Extra = Precision > INT_MAX - 6 ? INT_MAX : Precision + 6;
            Amount = AtLeast(Wide::Format(Number, 512, TVTEXT("%*.*f"), Width, Extra, va_arg(Ap, double)), 0);
            break;
        }
        case u'n':
            (void)va_arg(Ap, void*);
            break;
        default:
            va_end(Ap);
            return Bound;  // outside what the walk reads safely
        }
        if (Conversion == u'c' || Conversion == u'C' || Conversion == u's') {
            if (Precision != 0 && Amount > Precision)
                Amount = Precision;
            Amount = AtLeast(Amount, Width);
        }
        Bound += Amount;
        ++P;
    }
    va_end(Ap);
    return Bound;
}

inline int FitLength(long long V) { return V < 0 ? 0 : V > INT_MAX - 1 ? INT_MAX - 1 : int(V); }

} // namespace

void FString::Format(const tvWChar* FormatText, ...)
{
    // The formatter works on its own copy of the list, so Args serves both passes.
    va_list Args;
    va_start(Args, FormatText);

    tvWChar Area[GWorkingArea];
    const int Needed = Wide::FormatV(Area, GWorkingArea, FormatText, Args);
    if (Needed < GWorkingArea) {
        // Fits (or the format was unusable: the text before the bad directive is kept).
        *this = static_cast<const tvWChar*>(Area);
    } else if (tvWChar* Buffer = GetBufferSetLength(Needed)) {
        Wide::FormatV(Buffer, std::size_t(Needed) + 1, FormatText, Args);
        ReleaseBuffer(Needed);
    } else {
        *this = static_cast<const tvWChar*>(Area);  // no room for more: the first 4095 units
    }
    va_end(Args);
}

void FString::FormatV(const tvWChar* FormatText, va_list Args)
{
    if (!FormatText) {
        Empty();
        return;
    }
    tvWChar* Buffer = GetBuffer(FitLength(EstimateLength(FormatText, Args)));
    if (!Buffer)
        return;
    int Needed = Wide::FormatV(Buffer, std::size_t(GetAllocLength()) + 1, FormatText, Args);
    if (Needed > GetAllocLength()) {
        if (tvWChar* Larger = GetBuffer(Needed))
            Wide::FormatV(Larger, std::size_t(GetAllocLength()) + 1, FormatText, Args);
    }
    CopyBeforeWrite();
    ReleaseBuffer(-1);
    if (IsEmptyRecord())
        return;
    if (GetLength() == 0 && GetData()->RefCount > 0)
        Release();  // a zero-length result gives the empty record
}

} // namespace Tolvane
