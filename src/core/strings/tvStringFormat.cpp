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
#include <utility>

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
// %c %C %s %d %i %o %p %u %x %X %e %g %G %f %n without length modifiers, in one walk over the
// format. The walk consumes the arguments on a copy of the list. It stops at anything it
// cannot read safely (a length modifier, %S, which takes narrow text in a wide format, another
// conversion, a lone '%'), since reading an argument as the wrong type could run through
// memory; the text is sized exactly afterwards in any case.
struct FEstimate {
    long long Bound = 0;
    bool Complete = true;   // every directive was read, so every text argument was seen
    bool OwnText = false;   // a text argument points into the string being formatted
};

FEstimate EstimateLength(const tvWChar* Format, va_list Args, const tvWChar* Own, const tvWChar* OwnEnd)
{
    FEstimate E;
    va_list Ap;
    va_copy(Ap, Args);
    // A plain unit adds the units from it to the end of the format: measured once, so the
    // walk stays linear in the format's length.
    const tvWChar* const End = Format + Wide::Length(Format);
    for (const tvWChar* P = Format; *P; ) {
        if (*P != u'%' || P[1] == u'%') {
            if (*P == u'%')
                ++P;  // the second '%' of "%%" counts like a plain character
            E.Bound += (long long)(End - P);
            ++P;
            continue;
        }
        ++P;
        int Width = 0;
        for (; IsFlag(*P); ++P) {
            if (*P == u'#')
                E.Bound += 2;
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
            if (Text && Text >= Own && Text <= OwnEnd)
                E.OwnText = true;
            // A precision bounds the text: it need not be terminated within it.
            const std::size_t Length = !Text ? 0
                : Precision > 0 ? Wide::LengthBounded(Text, std::size_t(Precision)) : Wide::Length(Text);
            Amount = Text ? AtLeast((long long)Length, 1) : 6;
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
            E.Complete = false;  // outside what the walk reads safely
            va_end(Ap);
            return E;
        }
        if (Conversion == u'c' || Conversion == u'C' || Conversion == u's') {
            if (Precision != 0 && Amount > Precision)
                Amount = Precision;
            Amount = AtLeast(Amount, Width);
        }
        E.Bound += Amount;
        ++P;
    }
    va_end(Ap);
    return E;
}

inline int FitLength(long long V) { return V < 0 ? 0 : V > INT_MAX - 1 ? INT_MAX - 1 : int(V); }

} // namespace

// Formats into the 4096-unit working area, or a longer text into a buffer of its own, and
// only then lets go of the old buffer, so the format and its arguments may come from it.
void FString::FormatApart(const tvWChar* FormatText, va_list Args)
{
    // The formatter works on its own copy of the list, so Args serves both passes.
    tvWChar Area[GWorkingArea];
    const int Needed = Wide::FormatV(Area, GWorkingArea, FormatText, Args);
    if (Needed < GWorkingArea) {
        // Fits (or the format was unusable: the text before the bad directive is kept).
        *this = static_cast<const tvWChar*>(Area);
        return;
    }
    FString Result;
    if (tvWChar* Buffer = Result.GetBufferSetLength(Needed)) {
        Wide::FormatV(Buffer, std::size_t(Needed) + 1, FormatText, Args);
        Result.ReleaseBuffer(Needed);
        std::swap(Text, Result.Text);  // the old buffer goes with Result
    } else {
        *this = static_cast<const tvWChar*>(Area);  // no room for more: the first 4095 units
    }
}

void FString::Format(const tvWChar* FormatText, ...)
{
    va_list Args;
    va_start(Args, FormatText);
    FormatApart(FormatText, Args);
    va_end(Args);
}

void FString::FormatV(const tvWChar* FormatText, va_list Args)
{
    if (!FormatText) {
        Empty();
        return;
    }
    const tvWChar* const OwnEnd = Text + GetAllocLength();
    const FEstimate Estimate = EstimateLength(FormatText, Args, Text, OwnEnd);
    // Straight into the reserved buffer only when nothing the formatter reads lies in it;
    // otherwise, or when the reservation cannot be had, the text is formatted apart.
    const bool Apart = !Estimate.Complete || Estimate.OwnText || (FormatText >= Text && FormatText <= OwnEnd);
    tvWChar* Buffer = Apart ? nullptr : GetBuffer(FitLength(Estimate.Bound));
    if (!Buffer || IsEmptyRecord()) {
        FormatApart(FormatText, Args);  // also an estimate of 0 on the empty record
        return;
    }
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
