// The library's one wide formatter: printf-style formatting into UTF-16 with the Windows
// runtime's conventions for a wide format (%s and %c wide, %S/%hs/%hc narrow, 32-bit %l).
//
// One pass over the format: literal runs are copied in bulk, integers, strings and characters
// are converted here without any library call, and only floating-point conversions go through
// the narrow snprintf (in the "C" locale) and are widened. Nothing is allocated except for a
// floating-point number longer than the stack buffer (a huge width or precision).
#include "base/tvPrelude.h"
#include "core/strings/tvWideRuntime.h"

#include "platform/tvPlatformText.h"
#include "platform/tvPlatformNumbers.h"
#include "tvCore/core/tvMalloc.h"
#include "tvCore/core/tvGlobals.h"

#include <charconv>
#include <climits>

namespace Tolvane {
namespace Wide {

namespace {

// The bounded output: writes while there is room before the terminator, counts everything.
struct FSink {
    tvWChar* Dest;
    std::size_t Room;   // units that may still be written before the terminator
    std::size_t Count;  // units the whole output needs so far

    void Put(tvWChar C)
    {
        if (Room) {
            *Dest++ = C;
            --Room;
        }
        ++Count;
    }
    // Writes the first N units that Unit(i) gives, as far as there is room, and counts all N.
    // The loops stay empty when there is no room, so Dest may be null at capacity zero.
    template <class UnitAt>
    void PutEach(std::size_t N, UnitAt Unit)
    {
        const std::size_t Fit = N < Room ? N : Room;
        for (std::size_t i = 0; i < Fit; ++i)
            Dest[i] = Unit(i);
        Dest += Fit;
        Room -= Fit;
        Count += N;
    }
    void Put(const tvWChar* Text, std::size_t N) { PutEach(N, [Text](std::size_t i) { return Text[i]; }); }
    void Fill(tvWChar C, std::size_t N) { PutEach(N, [C](std::size_t) { return C; }); }
    // Narrow text of the number conversions: ASCII, widened unit by unit.
    void PutAscii(const char* Text, std::size_t N)
    {
        PutEach(N, [Text](std::size_t i) { return tvWChar(static_cast<unsigned char>(Text[i])); });
    }
};

enum class ELength { None, Char, Short, Long32, Long64, Size, LongDouble, Wide };

struct FSpec {
    bool Left = false, Plus = false, Space = false, Alt = false, Zero = false;
    std::size_t Width = 0;
    int Precision = -1;  // -1: none given
    ELength Length = ELength::None;
};

// Pads a field of Length units to the width around Emit. The Windows runtime pads text and
// characters with '0' too when the '0' flag is given; numbers do their own zero padding.
template <class EmitFn>
inline void PadField(FSink& Out, const FSpec& S, std::size_t Length, EmitFn Emit)
{
    const std::size_t Pad = S.Width > Length ? S.Width - Length : 0;
    if (!S.Left)
        Out.Fill(S.Zero ? u'0' : u' ', Pad);
    Emit();
    if (S.Left)
        Out.Fill(u' ', Pad);
}

const char GDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Decimal digits of V, written backwards ending at End; returns the first digit. The 32-bit
// loop serves most values with cheaper divisions.
template <class T>
inline tvWChar* DecimalDigits(T V, tvWChar* End)
{
    while (V >= 100) {
        const unsigned Pair = unsigned(V % 100) * 2;
        V /= 100;
        *--End = tvWChar(GDigitPairs[Pair + 1]);
        *--End = tvWChar(GDigitPairs[Pair]);
    }
    if (V >= 10) {
        const unsigned Pair = unsigned(V) * 2;
        *--End = tvWChar(GDigitPairs[Pair + 1]);
        *--End = tvWChar(GDigitPairs[Pair]);
    } else {
        *--End = tvWChar(u'0' + unsigned(V));
    }
    return End;
}

// One integer conversion as C99 defines it: precision is the minimum number of digits (0 with
// a value of 0 gives no digits), '#' gives octal a leading 0 and nonzero hex a 0x prefix, and
// '0' pads after the sign and prefix unless '-' or a precision is given.
void PutInteger(FSink& Out, const FSpec& S, std::uint64_t Magnitude, bool Negative, bool Signed,
                unsigned Base, bool Upper)
{
    tvWChar Buffer[24];
    tvWChar* const End = Buffer + 24;
    tvWChar* First = End;
    if (Magnitude != 0 || S.Precision != 0) {
        if (Base == 10) {
            First = Magnitude <= 0xFFFFFFFFu ? DecimalDigits(std::uint32_t(Magnitude), End)
                                             : DecimalDigits(Magnitude, End);
        } else {
            const char* Digits = Upper ? "0123456789ABCDEF" : "0123456789abcdef";
            const unsigned Shift = Base == 16 ? 4 : 3;
            do {
                *--First = tvWChar(Digits[Magnitude & (Base - 1)]);
                Magnitude >>= Shift;
            } while (Magnitude);
        }
    }
    const std::size_t NumDigits = std::size_t(End - First);

    tvWChar Prefix[2] = {0, 0};
    std::size_t PrefixLen = 0;
    if (Signed) {
        if (Negative)
            Prefix[PrefixLen++] = u'-';
        else if (S.Plus)
            Prefix[PrefixLen++] = u'+';
        else if (S.Space)
            Prefix[PrefixLen++] = u' ';
    } else if (S.Alt && Base == 16 && First != End && !(NumDigits == 1 && *First == u'0')) {
        Prefix[PrefixLen++] = u'0';
        Prefix[PrefixLen++] = Upper ? u'X' : u'x';
    }

    std::size_t Zeros = S.Precision > 0 && std::size_t(S.Precision) > NumDigits
                            ? std::size_t(S.Precision) - NumDigits : 0;
    if (S.Alt && Base == 8 && Zeros == 0 && (NumDigits == 0 || *First != u'0'))
        Zeros = 1;
    std::size_t Total = PrefixLen + Zeros + NumDigits;
    if (S.Zero && !S.Left && S.Precision < 0 && S.Width > Total) {
        Zeros += S.Width - Total;
        Total = S.Width;
    }
    const std::size_t Pad = S.Width > Total ? S.Width - Total : 0;
    if (!S.Left)
        Out.Fill(u' ', Pad);
    Out.Put(Prefix, PrefixLen);
    Out.Fill(u'0', Zeros);
    Out.Put(First, NumDigits);
    if (S.Left)
        Out.Fill(u' ', Pad);
}

inline int ClampToInt(std::size_t V) { return V > std::size_t(INT_MAX) ? INT_MAX : int(V); }

// A floating-point conversion through the narrow formatter in the "C" locale, widened. The
// stack buffer holds every ordinary number; a longer one (a huge width or precision) is
// formatted once more into a block from GMalloc. False when that block is refused.
// Fixed notation of a finite double without the C library's printf: the digits come from
// to_chars, which is exact (correctly rounded, as glibc's printf is) and never consults a
// locale; sign, flags and width are applied here as printf applies them. False when the
// digits do not fit the buffer, so the caller takes the general path.
bool PutFixed(FSink& Out, const FSpec& S, double Value, char* Digits, std::size_t Capacity)
{
    if (!std::isfinite(Value))
        return false;
    const int Precision = S.Precision < 0 ? 6 : S.Precision;
    const bool Negative = std::signbit(Value);
    const std::to_chars_result R =
        std::to_chars(Digits, Digits + Capacity - 1, std::fabs(Value), std::chars_format::fixed, Precision);
    if (R.ec != std::errc())
        return false;
    std::size_t Length = std::size_t(R.ptr - Digits);
    if (S.Alt && Precision == 0)
        Digits[Length++] = '.';
    const char Sign = Negative ? '-' : S.Plus ? '+' : S.Space ? ' ' : 0;
    const std::size_t Total = Length + (Sign ? 1 : 0);
    const std::size_t Pad = S.Width > Total ? S.Width - Total : 0;
    if (!S.Left && !S.Zero)
        Out.Fill(u' ', Pad);
    if (Sign)
        Out.Put(tvWChar(Sign));
    if (!S.Left && S.Zero)
        Out.Fill(u'0', Pad);
    Out.PutAscii(Digits, Length);
    if (S.Left)
        Out.Fill(u' ', Pad);
    return true;
}

bool PutFloat(FSink& Out, const FSpec& S, tvWChar Conversion, va_list& Args)
{
    char Directive[12];
    int N = 0;
    Directive[N++] = '%';
    if (S.Left) Directive[N++] = '-';
    if (S.Plus) Directive[N++] = '+';
    if (S.Space) Directive[N++] = ' ';
    if (S.Alt) Directive[N++] = '#';
    if (S.Zero) Directive[N++] = '0';
    Directive[N++] = '*';
    Directive[N++] = '.';
    Directive[N++] = '*';
    if (S.Length == ELength::LongDouble)
        Directive[N++] = 'L';
    Directive[N++] = char(Conversion);
    Directive[N] = 0;
    const int Width = ClampToInt(S.Width);

    // The argument is read once; a second formatting pass reuses it.
    const bool Long = S.Length == ELength::LongDouble;
    const long double LongValue = Long ? va_arg(Args, long double) : 0.0L;
    const double Value = Long ? 0.0 : va_arg(Args, double);
    auto FormatInto = [&](char* Buffer, std::size_t Capacity) {
        return Long ? Platform::FormatLongFloatC(Buffer, Capacity, Directive, Width, S.Precision, LongValue)
                    : Platform::FormatFloatC(Buffer, Capacity, Directive, Width, S.Precision, Value);
    };

    char Local[512];
    if ((Conversion == u'f' || Conversion == u'F') && !Long && PutFixed(Out, S, Value, Local, sizeof(Local)))
        return true;
    const int Needed = FormatInto(Local, sizeof(Local));
    if (Needed < 0)
        return false;
    if (std::size_t(Needed) < sizeof(Local)) {
        Out.PutAscii(Local, std::size_t(Needed));
        return true;
    }
    char* Block = static_cast<char*>(GMalloc->Malloc(unsigned(Needed) + 1));
    if (!Block)
        return false;
    FormatInto(Block, std::size_t(Needed) + 1);
    Out.PutAscii(Block, std::size_t(Needed));
    GMalloc->Free(Block);
    return true;
}

// Reads a decimal field (width or precision); false when it does not fit an int.
// Narrow text given by the caller is in the ANSI code page. It is decoded as a whole (a
// double-byte character is one unit); text that does not decode keeps its ASCII bytes and
// shows '?' for the others, so a bad argument never stops the output.
void PutNarrow(FSink& Out, const FSpec& S, const char* Text, std::size_t N)
{
    if (N == 0) {
        PadField(Out, S, 0, [] {});
        return;
    }
    tvWChar Small[256];
    tvWChar* Wide = Small;
    const int Count = N > 0x7FFFFFFF ? 0 : int(N);
    int Units = Count ? Platform::MultiByteToWide(Platform::GCodePageAnsi, Text, Count, nullptr, 0) : 0;
    if (Units > int(sizeof Small / sizeof Small[0])) {
        Wide = static_cast<tvWChar*>(GMalloc->Malloc(unsigned(std::size_t(Units) * sizeof(tvWChar))));
        if (!Wide)
            Units = 0;
    }
    if (Units > 0)
        Units = Platform::MultiByteToWide(Platform::GCodePageAnsi, Text, Count, Wide, Units);
    if (Units > 0) {
        PadField(Out, S, std::size_t(Units), [&] { Out.Put(Wide, std::size_t(Units)); });
    } else {
        PadField(Out, S, N, [&] {
            Out.PutEach(N, [Text](std::size_t i) {
                const unsigned char B = static_cast<unsigned char>(Text[i]);
                return tvWChar(B < 0x80 ? B : u'?');
            });
        });
    }
    if (Wide != Small && Wide)
        GMalloc->Free(Wide);
}

inline bool ReadNumber(const tvWChar*& P, int& Value)
{
    int V = 0;
    while (IsDigit(*P)) {
        const int D = *P++ - u'0';
        if (V > (INT_MAX - D) / 10)
            return false;
        V = V * 10 + D;
    }
    Value = V;
    return true;
}

const tvWChar GNullText[] = TVTEXT("(null)");
const char GNullNarrow[] = "(null)";

} // namespace

int FormatV(tvWChar* Dest, std::size_t Capacity, const tvWChar* Format, va_list Args)
{
    FSink Out{Dest, Capacity ? Capacity - 1 : 0, 0};
    va_list Ap;
    va_copy(Ap, Args);
    bool Ok = Format != nullptr;
    const tvWChar* P = Ok ? Format : TVTEXT("");

    while (Ok) {
        const tvWChar* Run = P;
        while (*P && *P != u'%')
            ++P;
        if (P != Run)
            Out.Put(Run, std::size_t(P - Run));
        if (!*P)
            break;
        ++P;
        if (*P == u'%') {
            Out.Put(u'%');
            ++P;
            continue;
        }

        FSpec S;
        for (;; ++P) {
            if (*P == u'-') S.Left = true;
            else if (*P == u'+') S.Plus = true;
            else if (*P == u' ') S.Space = true;
            else if (*P == u'#') S.Alt = true;
            else if (*P == u'0') S.Zero = true;
            else break;
        }
        if (*P == u'*') {
            ++P;
            const int W = va_arg(Ap, int);
            if (W < 0) {
                S.Left = true;
                S.Width = std::size_t(-static_cast<long long>(W));
            } else {
                S.Width = std::size_t(W);
            }
        } else {
            int W = 0;
            if (!ReadNumber(P, W)) { Ok = false; break; }
            S.Width = std::size_t(W);
        }
        if (*P == u'.') {
            ++P;
            if (*P == u'*') {
                ++P;
                const int Pr = va_arg(Ap, int);
                S.Precision = Pr < 0 ? -1 : Pr;
            } else if (!ReadNumber(P, S.Precision)) {
                Ok = false;
                break;
            }
        }
        switch (*P) {
        case u'h':
            ++P;
            if (*P == u'h') { ++P; S.Length = ELength::Char; }
            else S.Length = ELength::Short;
            break;
        case u'l':
            ++P;
            if (*P == u'l') { ++P; S.Length = ELength::Long64; }
            else S.Length = ELength::Long32;  // long is 32 bits in the interface
            break;
        case u'I':
            if (P[1] == u'6' && P[2] == u'4') { P += 3; S.Length = ELength::Long64; }
            else if (P[1] == u'3' && P[2] == u'2') { P += 3; S.Length = ELength::Long32; }
            else { ++P; S.Length = ELength::Size; }
            break;
        case u'z': case u't': ++P; S.Length = ELength::Size; break;
        case u'j': ++P; S.Length = ELength::Long64; break;
        case u'L': ++P; S.Length = ELength::LongDouble; break;
        case u'w': ++P; S.Length = ELength::Wide; break;
        default: break;
        }

        const tvWChar Conversion = *P;
        if (Conversion == 0) { Ok = false; break; }  // a lone '%' (with flags) ends the format
        ++P;
        switch (Conversion) {
        case u'd': case u'i': {
            long long V;
            switch (S.Length) {
            case ELength::Char: V = static_cast<signed char>(va_arg(Ap, int)); break;
            case ELength::Short: V = static_cast<short>(va_arg(Ap, int)); break;
            case ELength::Long64: case ELength::LongDouble: V = va_arg(Ap, long long); break;
            case ELength::Size: V = va_arg(Ap, std::ptrdiff_t); break;
            case ELength::None: case ELength::Long32: V = static_cast<std::int32_t>(va_arg(Ap, int)); break;
            default: Ok = false; V = 0; break;
            }
            if (!Ok) break;
            const std::uint64_t Magnitude = V < 0 ? 0 - std::uint64_t(V) : std::uint64_t(V);
            PutInteger(Out, S, Magnitude, V < 0, true, 10, false);
            break;
        }
        case u'u': case u'o': case u'x': case u'X': {
            std::uint64_t V;
            switch (S.Length) {
            case ELength::Char: V = static_cast<unsigned char>(va_arg(Ap, unsigned)); break;
            case ELength::Short: V = static_cast<unsigned short>(va_arg(Ap, unsigned)); break;
            case ELength::Long64: case ELength::LongDouble: V = va_arg(Ap, unsigned long long); break;
            case ELength::Size: V = va_arg(Ap, std::size_t); break;
            case ELength::None: case ELength::Long32: V = va_arg(Ap, unsigned); break;
            default: Ok = false; V = 0; break;
            }
            if (!Ok) break;
            const unsigned Base = Conversion == u'u' ? 10 : Conversion == u'o' ? 8 : 16;
            PutInteger(Out, S, V, false, false, Base, Conversion == u'X');
            break;
        }
        case u'p': {
            // As the Windows runtime prints a pointer: upper-case hex, all its digits.
            FSpec P2 = S;
            P2.Alt = false;
            const int Digits = int(2 * sizeof(void*));
            if (P2.Precision < Digits)
                P2.Precision = Digits;
            PutInteger(Out, P2, reinterpret_cast<std::uintptr_t>(va_arg(Ap, void*)), false, false, 16, true);
            break;
        }
        case u'e': case u'E': case u'f': case u'F': case u'g': case u'G': case u'a': case u'A':
            if (S.Length != ELength::None && S.Length != ELength::LongDouble && S.Length != ELength::Long32) {
                Ok = false;
                break;
            }
            Ok = PutFloat(Out, S, Conversion, Ap);
            break;
        case u's': case u'S': {
            // In a wide format %s is wide and %S narrow; h makes either narrow, l or w wide.
            bool Narrow = Conversion == u'S';
            if (S.Length == ELength::Short) Narrow = true;
            else if (S.Length == ELength::Long32 || S.Length == ELength::Wide) Narrow = false;
            else if (S.Length != ELength::None) { Ok = false; break; }
            const std::size_t Max = S.Precision < 0 ? ~std::size_t(0) : std::size_t(S.Precision);
            if (Narrow) {
                const char* Text = va_arg(Ap, const char*);
                if (!Text)
                    Text = GNullNarrow;
                PutNarrow(Out, S, Text, strnlen(Text, Max));
            } else {
                const tvWChar* Text = va_arg(Ap, const tvWChar*);
                if (!Text)
                    Text = GNullText;
                const std::size_t N = LengthBounded(Text, Max);
                PadField(Out, S, N, [&] { Out.Put(Text, N); });
            }
            break;
        }
        case u'c': case u'C': {
            bool Narrow = Conversion == u'C';
            if (S.Length == ELength::Short) Narrow = true;
            else if (S.Length == ELength::Long32 || S.Length == ELength::Wide) Narrow = false;
            else if (S.Length != ELength::None) { Ok = false; break; }
            const int V = va_arg(Ap, int);
            if (Narrow) {
                const char Byte = char(V);
                PutNarrow(Out, S, &Byte, 1);
            } else {
                const tvWChar C = tvWChar(V);
                PadField(Out, S, 1, [&] { Out.Put(C); });
            }
            break;
        }
        case u'%':
            // "%-5%" and the like: the percent sign itself, as the C runtimes print it.
            Out.Put(u'%');
            break;
        default:
            // %n is refused like any unknown conversion: nothing is ever written through it.
            Ok = false;
            break;
        }
    }
    va_end(Ap);

    if (Capacity)
        *Out.Dest = 0;
    if (!Ok || Out.Count > std::size_t(INT_MAX))
        return -1;
    return int(Out.Count);
}

int Format(tvWChar* Dest, std::size_t Capacity, const tvWChar* Format, ...)
{
    va_list Args;
    va_start(Args, Format);
    const int N = FormatV(Dest, Capacity, Format, Args);
    va_end(Args);
    return N;
}

} // namespace Wide
} // namespace Tolvane
