// FString's conversions on plain buffers, through the code-page layer. They return nothing
// and leave the output as the conversion calls leave it.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvString.h"

#include "tvCore/core/strings/tvCharConversion.h"

#include "platform/tvPlatformText.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"

namespace Tolvane {

using Platform::GCodePageAnsi;
using Platform::GCodePageUtf8;

namespace {

// Narrow text in one code page to narrow text in another through a zero-filled UTF-16
// temporary of Units units; all Units of the temporary are converted, its zero tail included.
void Recode(unsigned From, unsigned To, char* Dest, int DestLength, const char* Source, int SourceLength, int Units)
{
    if (Units < 1)
        return;
    const unsigned Size = unsigned(std::size_t(Units) * sizeof(tvWChar));
    tvWChar* Temporary = static_cast<tvWChar*>(GMalloc->Malloc(Size));
    if (!Temporary)
        return;
    std::memset(Temporary, 0, Size);
    Platform::MultiByteToWide(From, Source, SourceLength, Temporary, Units);
    Platform::WideToMultiByte(To, Temporary, Units, Dest, DestLength);
    GMalloc->Free(Temporary);
}

} // namespace

int FString::CaculateUtf16Length(const tvUShort* Text, int Max)
{
    if (!Text || Max < 1)
        return 0;
    int N = 0;
    while (N < Max && Text[N])
        ++N;
    return N;
}

void FString::UTF8ToUnicode(tvUShort* Dest, int DestLength, char* Source, int SourceLength)
{
    Platform::MultiByteToWide(GCodePageUtf8, Source, SourceLength, reinterpret_cast<tvWChar*>(Dest), DestLength);
}

void FString::UnicodeToUTF8(char* Dest, int DestLength, tvUShort* Source, int SourceLength)
{
    Platform::WideToMultiByte(GCodePageUtf8, reinterpret_cast<const tvWChar*>(Source), SourceLength, Dest, DestLength);
}

void FString::GB2312ToUTF8(char* Dest, int DestLength, char* Source, int SourceLength)
{
    Recode(GCodePageAnsi, GCodePageUtf8, Dest, DestLength, Source, SourceLength, DestLength);
}

void FString::UTF8ToGB2312(char* Dest, int DestLength, char* Source, int SourceLength)
{
    Recode(GCodePageUtf8, GCodePageAnsi, Dest, DestLength, Source, SourceLength, SourceLength);
}

void FString::WCharToChar(const tvWChar* Source, char* Dest, int Room)
{
    appwcharTchar(Source, Dest, Room);
}

void FString::CharToWChar(const char* Source, tvWChar* Dest, int Room)
{
    appcharTwchar(Source, Dest, Room);
}

} // namespace Tolvane
