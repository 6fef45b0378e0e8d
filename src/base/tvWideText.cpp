// Length, copy and compare on UTF-16 code units.
#include "base/tvPrelude.h"
#include "base/tvWideText.h"

namespace Tolvane {
namespace Wide {

std::size_t Length(const tvWChar* Text)
{
    const tvWChar* End = Text;
    while (*End)
        ++End;
    return static_cast<std::size_t>(End - Text);
}

std::size_t LengthBounded(const tvWChar* Text, std::size_t Max)
{
    std::size_t N = 0;
    while (N < Max && Text[N])
        ++N;
    return N;
}

tvWChar* Copy(tvWChar* Dest, const tvWChar* Source)
{
    tvWChar* Out = Dest;
    while ((*Out++ = *Source++) != 0) {}
    return Dest;
}

std::size_t CopyBounded(tvWChar* Dest, std::size_t Capacity, const tvWChar* Source)
{
    if (Capacity == 0)
        return 0;
    std::size_t N = 0;
    while (N + 1 < Capacity && Source[N]) {
        Dest[N] = Source[N];
        ++N;
    }
    Dest[N] = 0;
    return N;
}

namespace {
// One comparison loop serves the four compare functions: Fold maps a unit before comparing.
template <class Fold>
inline int CompareWith(const tvWChar* A, const tvWChar* B, std::size_t Count, Fold F)
{
    for (std::size_t i = 0; i < Count; ++i) {
        const int CA = F(A[i]), CB = F(B[i]);
        if (CA != CB)
            return CA < CB ? -1 : 1;
        if (CA == 0)
            return 0;
    }
    return 0;
}
inline int Same(tvWChar C) { return C; }
// _wcsicmp compares the lower-case forms.
inline int Folded(tvWChar C) { return ToLower(C); }
constexpr std::size_t GUnbounded = ~std::size_t(0);
} // namespace

int Compare(const tvWChar* A, const tvWChar* B) { return CompareWith(A, B, GUnbounded, Same); }
int CompareN(const tvWChar* A, const tvWChar* B, std::size_t Count) { return CompareWith(A, B, Count, Same); }
int CompareNoCase(const tvWChar* A, const tvWChar* B) { return CompareWith(A, B, GUnbounded, Folded); }
int CompareNoCaseN(const tvWChar* A, const tvWChar* B, std::size_t Count) { return CompareWith(A, B, Count, Folded); }

const tvWChar* FindChar(const tvWChar* Text, tvWChar Char)
{
    for (;; ++Text) {
        if (*Text == Char)
            return Text;  // finds the terminator too, as wcschr does
        if (*Text == 0)
            return nullptr;
    }
}

const tvWChar* FindString(const tvWChar* Text, const tvWChar* Sub)
{
    const tvWChar First = Sub[0];
    if (First == 0)
        return Text;
    // Skip to each candidate first unit in a tight loop, then compare the rest.
    for (;; ++Text) {
        while (*Text != First) {
            if (*Text == 0)
                return nullptr;
            ++Text;
        }
        std::size_t i = 1;
        while (Sub[i] && Text[i] == Sub[i])
            ++i;
        if (Sub[i] == 0)
            return Text;
    }
}

} // namespace Wide
} // namespace Tolvane
