// The linear readers: one records what its wrapped reader delivers, the other delivers it again
// from the ".lin" file.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvFileArchiveLinear.h"
#include "core/files/tvLinearChannel.h"

namespace Tolvane {

// --- Recording ---------------------------------------------------------------------------------

FFileReaderLinearSave::FFileReaderLinearSave(FLinearChannel* InChannel, FFileReader* InWrapped)
    : Channel(InChannel), Wrapped(InWrapped)
{
    if (Channel)
        Channel->AddRef();
}

FFileReaderLinearSave::~FFileReaderLinearSave()
{
    delete Wrapped;
    if (Channel)
        Channel->Release();
}

int FFileReaderLinearSave::GetSize() { return Wrapped ? Wrapped->GetSize() : 0; }

void FFileReaderLinearSave::Close()
{
    if (Wrapped)
        Wrapped->Close();
}

int FFileReaderLinearSave::Read(void* Data, tvULong Length)
{
    const int Delivered = Wrapped ? Wrapped->Read(Data, Length) : 0;
    CurrentPos = Wrapped ? Wrapped->GetCurrentPos() : CurrentPos;
    if (Channel) {
        // Every byte asked for is recorded, so the replay keeps its place; what the wrapped
        // reader did not deliver is recorded as zero bytes, never as stale buffer contents.
        tvULong Got = Delivered > 0 ? static_cast<tvULong>(Delivered) : 0;
        if (Got > Length || !Data)
            Got = Data ? Length : 0;
        Channel->Record(Data, Got);
        Channel->Record(nullptr, Length - Got);
    }
    return Delivered;
}

// --- Replay ------------------------------------------------------------------------------------

FFileReaderLinearLoad::FFileReaderLinearLoad(FLinearChannel* InChannel, tvULong Size)
    : RecordedSize(Size), Channel(InChannel), Closed(false)
{
    if (Channel)
        Channel->AddRef();
}

FFileReaderLinearLoad::~FFileReaderLinearLoad()
{
    if (Channel)
        Channel->Release();
}

int FFileReaderLinearLoad::GetSize() { return Closed ? 0 : static_cast<int>(RecordedSize); }

void FFileReaderLinearLoad::Close()
{
    Closed = true;
}

int FFileReaderLinearLoad::Read(void* Data, tvULong Length)
{
    if (Length == 0)
        return 0;
    FFileReader* Stream = Channel && !Channel->IsExhausted() ? Channel->GetReader() : nullptr;
    if (!Data) {
        // Nowhere to deliver: the recording appended zero bytes for this read, which are
        // passed over so the replay stays in step.
        unsigned char Skipped[4096];
        for (tvULong Left = Length; Stream && Left > 0;) {
            const tvULong Piece = Left < sizeof(Skipped) ? Left : static_cast<tvULong>(sizeof(Skipped));
            if (Stream->Read(Skipped, Piece) != static_cast<int>(Piece)) {
                Channel->MarkExhausted();
                break;
            }
            Left -= Piece;
        }
        SetError();
        return 0;
    }
    const int Got = Stream ? Stream->Read(Data, Length) : 0;
    if (Got < 0 || static_cast<tvULong>(Got) != Length) {
        // The recording holds less than asked: no byte that is not in it is handed out, and the
        // rest of the run reads real files.
        std::memset(Data, 0, Length);
        SetError();
        if (Channel && Stream)
            Channel->MarkExhausted();
        return 0;
    }
    if (Closed) {
        std::memset(Data, 0, Length);
        return 0;
    }
    CurrentPos += Length;
    return Got;
}

} // namespace Tolvane
