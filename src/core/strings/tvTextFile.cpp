// Whole files to and from memory through GFileManager: text files with their byte order marks,
// and plain byte arrays.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvTextFile.h"
#include "tvCore/core/strings/tvCharConversion.h"
#include "tvCore/core/files/tvFileManager.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvLogDevice.h"
#include "tvCore/core/tvMalloc.h"
#include "core/files/tvReplacingWriter.h"
#include "core/strings/tvWideRuntime.h"

#include <climits>

namespace Tolvane {

namespace {

// The allocator is told where its two large blocks come from.
constexpr const char* GTextFileSource = "tvCore_Win32";
constexpr int GRawBufferLine = 266;
constexpr int GWideBufferLine = 322;

// The largest single-byte file: its wide buffer of 2 x size + 2 bytes must fit the room
// argument of the conversion (an int).
constexpr int GLargestSingleByteFile = (INT_MAX - 2) / 2;

// Owns a block from GMalloc.
struct FBlock {
    unsigned char* Data = nullptr;
    FBlock() = default;
    FBlock(const FBlock&) = delete;
    FBlock& operator=(const FBlock&) = delete;
    ~FBlock() { Reset(); }
    void Reset()
    {
        if (Data)
            GMalloc->Free(Data);
        Data = nullptr;
    }
    bool Allocate(unsigned int Size, int Line)
    {
        GMalloc->SetDebugInfo(GTextFileSource, Line);
        Data = static_cast<unsigned char*>(GMalloc->Malloc(Size));
        return Data != nullptr;
    }
};

// Deletes a reader at the end of a scope.
struct FReaderHolder {
    FFileReader* Reader;
    explicit FReaderHolder(FFileReader* InReader) : Reader(InReader) {}
    FReaderHolder(const FReaderHolder&) = delete;
    FReaderHolder& operator=(const FReaderHolder&) = delete;
    ~FReaderHolder() { delete Reader; }
};

FFileReader* OpenReader(const tvWChar* FileName)
{
    return GFileManager && FileName ? GFileManager->CreateReader(FileName) : nullptr;
}

// Sets Text to the first Units units of Source up to the first 0; false when memory is refused
// (Text is then unchanged).
bool SetText(FString& Text, const tvWChar* Source, std::size_t Units)
{
    const int Length = static_cast<int>(Wide::LengthBounded(Source, Units));
    FString Loaded(Source, Length);
    if (Loaded.GetLength() != Length)
        return false;
    Text = Loaded;
    return true;
}

void SwapUnits(unsigned char* Bytes, std::size_t Units)
{
    for (std::size_t i = 0; i < Units; ++i, Bytes += 2) {
        const unsigned char Low = Bytes[0];
        Bytes[0] = Bytes[1];
        Bytes[1] = Low;
    }
}

} // namespace

int appLoadFileToArray(TArray<unsigned char>& Bytes, const tvWChar* FileName)
{
    FReaderHolder File(OpenReader(FileName));
    if (!File.Reader)
        return 0;
    const int Size = File.Reader->GetSize();
    if (Size < 0)
        return 0;
    TArray<unsigned char> Loaded;
    if (!Loaded.SetSize(Size))
        return 0;
    if (Size > 0) {
        File.Reader->Serialize(Loaded.GetData(), static_cast<tvULong>(Size));
        if (File.Reader->IsError())
            return 0;
    }
    Bytes = static_cast<TArray<unsigned char>&&>(Loaded);
    return 1;
}

int appLoadFileToString(FString& Text, const tvWChar* FileName)
{
    FReaderHolder File(OpenReader(FileName));
    if (!File.Reader)
        return 0;
    // Sizes of 2 or less (and a negative one from a manager that cannot tell) hold no text.
    const int Size = File.Reader->GetSize();
    if (Size <= 2)
        return 0;
    const unsigned int DataSize = static_cast<unsigned int>(Size);

    FBlock Raw;
    if (!Raw.Allocate(DataSize + 2, GRawBufferLine))
        return 0;
    const int Got = File.Reader->Read(Raw.Data, DataSize);
    if (Got != Size)
        return 0;  // a short read: the file changed or could not be read
    Raw.Data[DataSize] = 0;
    Raw.Data[DataSize + 1] = 0;

    // Whole code units after the mark; an odd last byte is no unit and is dropped.
    const std::size_t Units = (DataSize - 2) / 2;
    if (Raw.Data[0] == 0xFF && Raw.Data[1] == 0xFE)
        return SetText(Text, reinterpret_cast<const tvWChar*>(Raw.Data + 2), Units) ? 1 : 0;
    if (Raw.Data[0] == 0xFE && Raw.Data[1] == 0xFF) {
        appLog(TVTEXT("We are changing byte order for file: %s"), FileName);
        SwapUnits(Raw.Data + 2, Units);
        return SetText(Text, reinterpret_cast<const tvWChar*>(Raw.Data + 2), Units) ? 1 : 0;
    }

    // Single-byte text in the ANSI code page, up to its first 0 byte. No byte becomes more than
    // one unit, so the room of size + 1 units always holds the text and its terminator.
    if (Size > GLargestSingleByteFile)
        return 0;
    const int RoomBytes = 2 * Size + 2;
    FBlock Wide;
    if (!Wide.Allocate(static_cast<unsigned int>(RoomBytes), GWideBufferLine))
        return 0;
    const int Converted = appAnsiToUnicode(reinterpret_cast<tvWChar*>(Wide.Data),
                                           reinterpret_cast<const char*>(Raw.Data), RoomBytes);
    Raw.Reset();
    if (Converted <= 0)
        return 0;
    return SetText(Text, reinterpret_cast<const tvWChar*>(Wide.Data), static_cast<std::size_t>(Size) + 1) ? 1 : 0;
}

int appSaveStringToFile(const FString& Text, const tvWChar* FileName)
{
    const int Length = Text.GetLength();
    if (Length == 0 || !GFileManager || !FileName)
        return 0;
    const tvWChar* Units = Text;
    bool SingleByte = true;
    for (int i = 0; i < Length && SingleByte; ++i)
        SingleByte = Units[i] < 256;

    FReplacingWriter File(GFileManager, FileName);
    FFileWriter* Writer = File.GetWriter();
    if (!Writer)
        return 0;
    // The bytes go out in pieces from a small buffer, so no copy of the whole text is made.
    unsigned char Buffer[16 * 1024];
    std::size_t Filled = 0;
    if (!SingleByte) {
        Buffer[0] = 0xFF;
        Buffer[1] = 0xFE;
        Filled = 2;
    }
    for (int i = 0; i < Length; ++i) {
        if (Filled + 2 > sizeof(Buffer)) {
            Writer->Serialize(Buffer, static_cast<tvULong>(Filled));
            Filled = 0;
        }
        const tvWChar Unit = Units[i];
        Buffer[Filled++] = static_cast<unsigned char>(Unit & 0xFF);
        if (!SingleByte)
            Buffer[Filled++] = static_cast<unsigned char>(Unit >> 8);
    }
    if (Filled > 0)
        Writer->Serialize(Buffer, static_cast<tvULong>(Filled));
    return File.Commit();
}

} // namespace Tolvane
