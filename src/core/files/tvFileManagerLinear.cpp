// The linear managers: recording every open and read into a ".lin" file, and serving them
// again from it.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvFileManagerLinear.h"
#include "core/files/tvLinearChannel.h"
#include "tvCore/core/tvLogDevice.h"

namespace Tolvane {

namespace {
FString LinNameOf(const tvWChar* Name) { return FString(Name) + TVTEXT(".lin"); }

void StoreLittleEndian(unsigned char* Out, tvULong Value)
{
    for (int i = 0; i < 4; ++i)
        Out[i] = static_cast<unsigned char>(Value >> (8 * i));
}

tvULong LoadLittleEndian(const unsigned char* In)
{
    tvULong Value = 0;
    for (int i = 0; i < 4; ++i)
        Value |= static_cast<tvULong>(In[i]) << (8 * i);
    return Value;
}
} // namespace

// --- Shared base -------------------------------------------------------------------------------

FFileManagerLinear::FFileManagerLinear(FFileManager* InWrapped) : Wrapped(InWrapped), Channel(nullptr) {}

FFileManagerLinear::~FFileManagerLinear()
{
    EndStream();
    delete Wrapped;
}

FFileWriter* FFileManagerLinear::CreateWriter(const tvWChar* Path)
{
    return Wrapped ? Wrapped->CreateWriter(Path) : nullptr;
}

bool FFileManagerLinear::IsStreamOpen() const
{
    return Channel && (Channel->GetReader() || Channel->GetWriter());
}

void FFileManagerLinear::EndStream()
{
    if (Channel) {
        Channel->EndStream();
        Channel->Release();
        Channel = nullptr;
    }
}

// --- Recording ---------------------------------------------------------------------------------

FFileManagerLinearSave::FFileManagerLinearSave(FFileManager* InWrapped) : FFileManagerLinear(InWrapped) {}

FFileManagerLinearSave::~FFileManagerLinearSave() = default;

void FFileManagerLinearSave::Start(const tvWChar* Name)
{
    End();
    if (!Wrapped || !Name)
        return;
    const FString LinName = LinNameOf(Name);
    FReplacingWriter* Writer = new FReplacingWriter(Wrapped, LinName);
    if (!Writer)
        return;
    if (!Writer->GetWriter()) {
        delete Writer;
        return;
    }
    Channel = new FLinearChannel(Writer, LinName);
    if (!Channel)
        delete Writer;  // abandoned: nothing replaces an earlier recording
}

void FFileManagerLinearSave::End() { EndStream(); }

FFileReader* FFileManagerLinearSave::CreateReader(const tvWChar* Path)
{
    if (!Wrapped)
        return nullptr;
    FFileReader* Reader = Wrapped->CreateReader(Path);
    if (!appLinearFileSystemIsSaving() || !Channel || !Channel->GetWriter())
        return Reader;
    const unsigned char Missing = 0;
    if (!Reader) {
        Channel->Record(&Missing, 1);
        return nullptr;
    }
    // The reader that records is made first: a recorded open must always be followed by the
    // recording reader's reads, or the replay would lose its place.
    FFileReaderLinearSave* Recording = new FFileReaderLinearSave(Channel, Reader);
    if (!Recording) {
        delete Reader;
        Channel->Record(&Missing, 1);  // refused here, so recorded as not opened
        return nullptr;
    }
    unsigned char Record[5];
    Record[0] = 1;
    StoreLittleEndian(Record + 1, static_cast<tvULong>(Reader->GetSize()));
    Channel->Record(Record, sizeof(Record));
    return Recording;
}

// --- Replay ------------------------------------------------------------------------------------

FFileManagerLinearLoad::FFileManagerLinearLoad(FFileManager* InWrapped) : FFileManagerLinear(InWrapped) {}

FFileManagerLinearLoad::~FFileManagerLinearLoad() = default;

void FFileManagerLinearLoad::Start(const tvWChar* Name)
{
    End();
    if (!Wrapped || !Name)
        return;
    const FString LinName = LinNameOf(Name);
    FFileReader* Reader = Wrapped->CreateReader(LinName);
    if (!Reader)
        return;
    Channel = new FLinearChannel(Reader, LinName);
    if (!Channel)
        delete Reader;
}

void FFileManagerLinearLoad::End() { EndStream(); }

FFileReader* FFileManagerLinearLoad::CreateReader(const tvWChar* Path)
{
    if (!Wrapped)
        return nullptr;
    if (!appLinearFileSystemIsLoading() || !Channel || !Channel->GetReader() || Channel->IsExhausted())
        return Wrapped->CreateReader(Path);
    FFileReader* Stream = Channel->GetReader();
    unsigned char Opened = 0;
    if (Stream->Read(&Opened, 1) != 1) {
        Channel->MarkExhausted();
        return Wrapped->CreateReader(Path);
    }
    if (Opened == 0)
        return nullptr;  // missing when recorded
    unsigned char Size[4];
    if (Stream->Read(Size, sizeof(Size)) != static_cast<int>(sizeof(Size))) {
        Channel->MarkExhausted();
        return Wrapped->CreateReader(Path);
    }
    return new FFileReaderLinearLoad(Channel, LoadLittleEndian(Size));
}

} // namespace Tolvane
