// The ".lin" stream shared by a linear manager and its readers.
#include "base/tvPrelude.h"
#include "core/files/tvLinearChannel.h"
#include "tvCore/core/tvLogDevice.h"

namespace Tolvane {

FLinearChannel::FLinearChannel(FFileReader* InReader, const tvWChar* InLinName)
    : LinName(InLinName), Reader(InReader), Writer(nullptr), References(1), Exhausted(false)
{
}

FLinearChannel::FLinearChannel(FReplacingWriter* InWriter, const tvWChar* InLinName)
    : LinName(InLinName), Reader(nullptr), Writer(InWriter), References(1), Exhausted(false)
{
}

FLinearChannel::~FLinearChannel() { EndStream(); }

void FLinearChannel::Release()
{
    if (--References <= 0)
        delete this;
}

void FLinearChannel::Record(const void* Data, tvULong Length)
{
    FFileWriter* Stream = GetWriter();
    if (!Stream || Length == 0)
        return;
    if (Data) {
        Stream->Serialize(const_cast<void*>(Data), Length);
        return;
    }
    unsigned char Zeros[4096] = {};
    while (Length > 0) {
        const tvULong Piece = Length < sizeof(Zeros) ? Length : static_cast<tvULong>(sizeof(Zeros));
        Stream->Serialize(Zeros, Piece);
        Length -= Piece;
    }
}

void FLinearChannel::EndStream()
{
    if (Reader) {
        delete Reader;
        Reader = nullptr;
    }
    if (Writer) {
        // A recording that lost bytes (a full disk) would replay wrong data: the earlier
        // recording, if any, is kept instead.
        if (!Writer->Commit())
            appLog(TVTEXT("Linear file system: the recording %s could not be completed"),
                   static_cast<const tvWChar*>(LinName));
        delete Writer;
        Writer = nullptr;
    }
}

void FLinearChannel::MarkExhausted()
{
    if (Exhausted)
        return;
    Exhausted = true;
    appLog(TVTEXT("Linear file system: the recording %s has run out; real files are read from here on"),
           static_cast<const tvWChar*>(LinName));
}

} // namespace Tolvane
