// A name index written and read as its text.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvNameHash.h"
#include "tvCore/core/files/tvArchive.h"
#include "core/strings/tvWideRuntime.h"

namespace Tolvane {

namespace {

void SaveName(FArchive& Ar, const FNameHash& Names, tvULong Name)
{
    const tvWChar* Text = Names.GetName(Name);
    const std::size_t Length = Text != nullptr ? Wide::Length(Text) : 0;
    // Every text the table stores fits a 32-bit count of bytes; a kept caller's text might not.
    if (Text == nullptr || Length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 2)) {
        std::int32_t Zero = 0;
        Ar.Serialize(&Zero, sizeof(Zero));
        Ar.SetError();
        return;
    }
    std::int32_t Count = static_cast<std::int32_t>(Length);
    Ar.Serialize(&Count, sizeof(Count));
    if (Count > 0)
        Ar.Serialize(const_cast<tvWChar*>(Text), static_cast<tvULong>(Count) * sizeof(tvWChar));
}

// Reads past Count stored units in pieces of the working area, stopping once the archive has
// run out.
void SkipUnits(FArchive& Ar, std::int32_t Count, tvWChar (&Scratch)[NAME_STORED_MAX_LENGTH + 1])
{
    constexpr std::int32_t Piece = NAME_STORED_MAX_LENGTH + 1;
    while (Count > 0 && !Ar.IsError()) {
        const std::int32_t Units = Count < Piece ? Count : Piece;
        Ar.Serialize(Scratch, static_cast<tvULong>(Units) * sizeof(tvWChar));
        Count -= Units;
    }
}

tvULong LoadName(FArchive& Ar, FNameHash& Names)
{
    std::int32_t Count = 0;
    Ar.Serialize(&Count, sizeof(Count));
    if (Ar.IsError())
        return NAME_NONE_INDEX;
    // The working area is the caller's stack: loads on several threads never share it.
    tvWChar Text[NAME_STORED_MAX_LENGTH + 1];
    if (Count < 0 || Count > NAME_STORED_MAX_LENGTH) {
        if (Count > 0)
            SkipUnits(Ar, Count, Text);
        Ar.SetError();
        return NAME_NONE_INDEX;
    }
    if (Count > 0)
        Ar.Serialize(Text, static_cast<tvULong>(Count) * sizeof(tvWChar));
    Text[Count] = 0;
    if (Ar.IsError())
        return NAME_NONE_INDEX;
    return Names.AddEx(Text, 1, 0);
}

} // namespace

FArchive& appSerializeName(FArchive& Ar, FNameHash& Names, tvULong& Name)
{
    if (Ar.IsLoading())
        Name = LoadName(Ar, Names);
    else
        SaveName(Ar, Names, Name);
    return Ar;
}

} // namespace Tolvane
