// Numbers from text, trimming, raw text into an archive, and a path's extension.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvStringUtils.h"
#include "tvCore/core/files/tvArchive.h"
#include "core/strings/tvWideRuntime.h"

namespace Tolvane {

namespace {
inline bool IsBlank(tvWChar C) { return C == u' ' || C == u'\t'; }
} // namespace

int appStrToInt(const tvWChar* Text)
{
    if (!Text)
        return 0;
    while (IsBlank(*Text))
        ++Text;
    const int Base = (Text[0] == u'0' && (Text[1] == u'x' || Text[1] == u'X')) ? 16 : 10;
    return static_cast<int>(Wide::ToLong(Text, nullptr, Base));
}

float appStrToFloat(const tvWChar* Text)
{
    if (!Text)
        return 0.0f;
    const double Value = Wide::ToDouble(Text, nullptr);
    // Narrowing a double beyond the float range is undefined; the runtime gives infinity.
    if (Value > static_cast<double>(std::numeric_limits<float>::max()))
        return std::numeric_limits<float>::infinity();
    if (Value < -static_cast<double>(std::numeric_limits<float>::max()))
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(Value);
}

void appStrTrimLeft(tvWChar*& Text)
{
    if (!Text)
        return;
    while (IsBlank(*Text))
        ++Text;
}

void appStrTrimRight(tvWChar* Text)
{
    if (!Text || !*Text)
        return;
    for (std::size_t i = Wide::Length(Text) - 1; i > 0 && IsBlank(Text[i]); --i)
        Text[i] = 0;
}

FArchive& appStrSaveToStream(FArchive& Ar, const tvWChar* Text, int Count)
{
    // Saving only: a loading archive would write into the caller's constant text.
    if (Ar.IsLoading()) {
        Ar.SetError();
        return Ar;
    }
    if (!Text)
        Count = 0;
    else if (Count < 0)
        Count = static_cast<int>(Wide::LengthBounded(Text, std::size_t(std::numeric_limits<int>::max())));
    Ar.Serialize(&Count, sizeof(Count));
    if (Count > 0)
        Ar.Serialize(const_cast<tvWChar*>(Text), static_cast<tvULong>(Count) * sizeof(tvWChar));
    return Ar;
}

const tvWChar* appFExt(const tvWChar* Path)
{
    if (!Path)
        return nullptr;
    if (const tvWChar* Colon = Wide::FindChar(Path, u':'))
        Path = Colon + 1;
    const tvWChar* Name = Path;
    const tvWChar* LastDot = nullptr;
    for (const tvWChar* P = Path; *P; ++P) {
        if (*P == u'/') {
            Name = P + 1;
            LastDot = nullptr;
        } else if (*P == u'.') {
            LastDot = P;
        }
    }
    return LastDot ? LastDot + 1 : Name;
}

} // namespace Tolvane
