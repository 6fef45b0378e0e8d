// The name of a named system object (a lock file, a shared-memory block) made from a library
// name so that any name can be held: its UTF-8 form with '/', '%' and control bytes written as
// %XX. A name whose encoded form is longer than a file name should be keeps a readable
// beginning and ends in '~' and a 64-bit FNV-1a hash of the whole encoded form, so that distinct
// long names stay distinct. Equal names give equal texts; different names give different texts.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvUnicode.h"

#include <cstdint>

namespace Tolvane {

class FSystemObjectName {
public:
    static constexpr std::size_t MaxEncoded = 200;
    static constexpr std::size_t KeptBeforeHash = 160;

    explicit FSystemObjectName(const tvWChar* Name)
    {
        for (std::size_t i = 0; Name[i];) {
            const bool Pair = Unicode::IsHighSurrogate(Name[i]) && Unicode::IsLowSurrogate(Name[i + 1]);
            const int Units = Pair ? 2 : 1;
            char Bytes[8];
            const int Count = Unicode::Utf16ToUtf8(Name + i, Units, Bytes, sizeof(Bytes));
            i += static_cast<std::size_t>(Units);
            if (Used <= KeptBeforeHash)
                SafeCut = Used;  // a cut here never splits a character or an escape
            for (int k = 0; k < Count; ++k)
                PutByte(static_cast<unsigned char>(Bytes[k]));
        }
        if (Total > MaxEncoded) {
            Used = SafeCut;
            Text[Used++] = '~';
            for (int Shift = 60; Shift >= 0; Shift -= 4)
                Text[Used++] = "0123456789abcdef"[(Hash >> Shift) & 0xF];
        }
        Text[Used] = 0;
    }
    const char* Get() const { return Text; }

private:
    void Put(char C)
    {
        Hash = (Hash ^ static_cast<unsigned char>(C)) * 0x100000001b3ull;
        ++Total;
        if (Used < MaxEncoded)
            Text[Used++] = C;
    }
    void PutByte(unsigned char B)
    {
        if (B == '/' || B == '%' || B < 0x20 || B == 0x7F) {
            Put('%');
            Put("0123456789ABCDEF"[B >> 4]);
            Put("0123456789ABCDEF"[B & 0xF]);
        } else {
            Put(static_cast<char>(B));
        }
    }

    char Text[MaxEncoded + 20];
    std::size_t Used = 0;
    std::size_t Total = 0;
    std::size_t SafeCut = 0;
    std::uint64_t Hash = 0xcbf29ce484222325ull;
};

} // namespace Tolvane
