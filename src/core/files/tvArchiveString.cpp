// The stored form of a string: a signed 32-bit count, then that many UTF-16 code units.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvArchive.h"
#include "tvCore/core/strings/tvString.h"
#include "tvCore/core/strings/tvStringUtils.h"

namespace Tolvane {

namespace {
// A stored count is only a claim about the data that follows. The text is read in steps that
// at most double what has already arrived, so a forged count costs at most twice the data
// that is really there (and one first step), never an allocation of its own size.
constexpr int GFirstLoadStep = 32768;

void LoadString(FArchive& Ar, FString& Value)
{
    Value.Empty();
    int Count = 0;
    Ar.Serialize(&Count, sizeof(Count));
    if (Count == 0 || Ar.IsError()) {
        return;
    }
    if (Count < 0) {
        Ar.SetError();
        return;
    }
    int Have = 0;
    while (Have < Count) {
        const int Step = std::min(Count - Have, std::max(Have, GFirstLoadStep));
        tvWChar* Buffer = Value.GetBufferSetLength(Have + Step);
        if (!Buffer || Value.GetLength() != Have + Step) {
            Ar.SetError();  // the allocator refused the text
            break;
        }
        Ar.Serialize(Buffer + Have, static_cast<tvULong>(Step) * sizeof(tvWChar));
        if (Ar.IsError())
            break;
        Have += Step;
    }
    if (Have < Count)
        Value.Empty();
}
} // namespace

FArchive& operator<<(FArchive& Ar, FString& Value)
{
    if (!Ar.IsLoading()) {
        const tvWChar* Text = Value;
        return appStrSaveToStream(Ar, Text, -1);
    }
    // The error flag is sticky: a failure before this string must not be taken for one inside
    // it, and must not be lost either.
    const int EarlierError = Ar.IsError();
    Ar.ClearError();
    LoadString(Ar, Value);
    if (EarlierError)
        Ar.SetError();
    return Ar;
}

} // namespace Tolvane
