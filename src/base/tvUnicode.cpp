// The UTF-16 <-> UTF-8 codec.
#include "base/tvPrelude.h"
#include "base/tvUnicode.h"

namespace Tolvane {
namespace Unicode {

namespace {
constexpr char32_t GReplacement = GReplacementCharacter;

// Appends the UTF-8 form of one code point; false when it does not fit before the terminator.
inline bool PutUtf8(char32_t C, char* Out, std::size_t Capacity, std::size_t& Used)
{
    char Bytes[4];
    int N;
    if (C < 0x80) { Bytes[0] = char(C); N = 1; }
    else if (C < 0x800) { Bytes[0] = char(0xC0 | (C >> 6)); Bytes[1] = char(0x80 | (C & 0x3F)); N = 2; }
    else if (C < 0x10000) {
        Bytes[0] = char(0xE0 | (C >> 12)); Bytes[1] = char(0x80 | ((C >> 6) & 0x3F));
        Bytes[2] = char(0x80 | (C & 0x3F)); N = 3;
    } else {
        Bytes[0] = char(0xF0 | (C >> 18)); Bytes[1] = char(0x80 | ((C >> 12) & 0x3F));
        Bytes[2] = char(0x80 | ((C >> 6) & 0x3F)); Bytes[3] = char(0x80 | (C & 0x3F)); N = 4;
    }
    if (Used + N + 1 > Capacity)
        return false;
    for (int i = 0; i < N; ++i)
        Out[Used++] = Bytes[i];
    return true;
}

inline bool PutUtf16(char32_t C, tvWChar* Out, std::size_t Capacity, std::size_t& Used)
{
    const std::size_t N = C >= 0x10000 ? 2 : 1;
    if (Used + N + 1 > Capacity)
        return false;
    if (N == 2) {
        Out[Used++] = HighSurrogateOf(C);
        Out[Used++] = LowSurrogateOf(C);
    } else {
        Out[Used++] = tvWChar(C);
    }
    return true;
}

template <class T>
inline int Fail(T* Out, std::size_t Capacity)
{
    if (Capacity > 0)
        Out[0] = 0;
    return -1;
}

// Decodes one UTF-8 sequence starting at In[i] (i < Count); advances i.
char32_t NextUtf8(const unsigned char* In, std::size_t Count, std::size_t& i)
{
    const unsigned char Lead = In[i++];
    if (Lead < 0x80)
        return Lead;
    int Extra;
    char32_t C, Min;
    if ((Lead & 0xE0) == 0xC0) { Extra = 1; C = Lead & 0x1F; Min = 0x80; }
    else if ((Lead & 0xF0) == 0xE0) { Extra = 2; C = Lead & 0x0F; Min = 0x800; }
    else if ((Lead & 0xF8) == 0xF0) { Extra = 3; C = Lead & 0x07; Min = 0x10000; }
    else return GReplacement;
    for (int k = 0; k < Extra; ++k) {
        if (i >= Count || (In[i] & 0xC0) != 0x80)
            return GReplacement;  // the unit that broke the sequence is decoded on its own
        C = (C << 6) | (In[i++] & 0x3F);
    }
    if (C < Min || C > GMaxCodePoint || IsSurrogate(C))
        return GReplacement;
    return C;
}
} // namespace

int Utf16ToUtf8(const tvWChar* In, int Count, char* Out, std::size_t OutCapacity)
{
    if (!In || OutCapacity == 0)
        return Fail(Out, OutCapacity);
    std::size_t N = 0;
    if (Count < 0)
        while (In[N]) ++N;
    else
        N = static_cast<std::size_t>(Count);
    std::size_t Used = 0;
    for (std::size_t i = 0; i < N; ++i) {
        char32_t C = In[i];
        if (IsHighSurrogate(C) && i + 1 < N && IsLowSurrogate(In[i + 1])) {
            C = CombineSurrogates(C, In[i + 1]);
            ++i;
        } else if (IsSurrogate(C)) {
            C = GReplacement;
        }
        if (!PutUtf8(C, Out, OutCapacity, Used))
            return Fail(Out, OutCapacity);
    }
    Out[Used] = 0;
    return static_cast<int>(Used);
}

int Utf8ToUtf16(const char* In, int Count, tvWChar* Out, std::size_t OutCapacity)
{
    if (!In || OutCapacity == 0)
        return Fail(Out, OutCapacity);
    const unsigned char* Bytes = reinterpret_cast<const unsigned char*>(In);
    const std::size_t N = Count < 0 ? std::strlen(In) : static_cast<std::size_t>(Count);
    std::size_t Used = 0;
    for (std::size_t i = 0; i < N;) {
        if (!PutUtf16(NextUtf8(Bytes, N, i), Out, OutCapacity, Used))
            return Fail(Out, OutCapacity);
    }
    Out[Used] = 0;
    return static_cast<int>(Used);
}

bool IsValidUtf8(const char* In, std::size_t Count)
{
    const unsigned char* Bytes = reinterpret_cast<const unsigned char*>(In);
    for (std::size_t i = 0; i < Count;) {
        const unsigned char Lead = Bytes[i];
        if (Lead < 0x80) {
            ++i;
            continue;
        }
        int Extra;
        char32_t C, Min;
        if ((Lead & 0xE0) == 0xC0) { Extra = 1; C = Lead & 0x1F; Min = 0x80; }
        else if ((Lead & 0xF0) == 0xE0) { Extra = 2; C = Lead & 0x0F; Min = 0x800; }
        else if ((Lead & 0xF8) == 0xF0) { Extra = 3; C = Lead & 0x07; Min = 0x10000; }
        else return false;
        if (Count - i <= std::size_t(Extra))
            return false;
        for (int k = 1; k <= Extra; ++k) {
            if ((Bytes[i + k] & 0xC0) != 0x80)
                return false;
            C = (C << 6) | (Bytes[i + k] & 0x3F);
        }
        if (C < Min || C > GMaxCodePoint || IsSurrogate(C))
            return false;
        i += std::size_t(Extra) + 1;
    }
    return true;
}

} // namespace Unicode
} // namespace Tolvane
