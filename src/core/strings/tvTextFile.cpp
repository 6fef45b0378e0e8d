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

// Puts back the text a failed load started to replace; the result is 0.
int Restore(FString& Text, const FString& Previous)
{
    Text = Previous;
    return 0;
}

// Units before the first 0 unit among the first Units, four at a time: a word holds a 0 unit
// exactly when one of its 16-bit lanes is zero.
std::size_t FirstZeroUnit(const tvWChar* Text, std::size_t Units)
{
    constexpr std::uint64_t Ones = 0x0001000100010001ull;
    constexpr std::uint64_t Highs = 0x8000800080008000ull;
    std::size_t i = 0;
    for (; i + 4 <= Units; i += 4) {
        std::uint64_t Word;
        std::memcpy(&Word, Text + i, sizeof(Word));
        if ((Word - Ones) & ~Word & Highs)
            break;
    }
    return i + Wide::LengthBounded(Text + i, Units - i);
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
    Bytes = std::move(Loaded);
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
    unsigned char Mark[2];
    if (File.Reader->Read(Mark, 2) != 2)
        return 0;
    const bool Little = Mark[0] == 0xFF && Mark[1] == 0xFE;
    const bool Big = Mark[0] == 0xFE && Mark[1] == 0xFF;

    // The text is built in the string's own buffer and the previous text is kept aside, so a
    // file that cannot be read whole leaves the text as it was without a second copy of the
    // file's contents.
    const FString Previous(Text);
    if (Previous.GetLength() != Text.GetLength())
        return 0;

    if (Little || Big) {
        // Whole code units after the mark; an odd last byte is no unit and is dropped.
        const int Units = static_cast<int>((DataSize - 2) / 2);
        GMalloc->SetDebugInfo(GTextFileSource, GRawBufferLine);
        tvWChar* Buffer = Units > 0 ? Text.GetBufferSetLength(Units) : nullptr;
        if (Units > 0 && (!Buffer || Text.GetLength() != Units))
            return Restore(Text, Previous);
        // The buffer holds Units + 1 units, room for an odd last byte too.
        unsigned char Odd[1];
        void* Into = Units > 0 ? static_cast<void*>(Buffer) : static_cast<void*>(Odd);
        if (File.Reader->Read(Into, DataSize - 2) != Size - 2)
            return Restore(Text, Previous);
        if (Units == 0) {
            Text = FString();
            return 1;
        }
        if (Big) {
            appLog(TVTEXT("We are changing byte order for file: %s"), FileName);
            SwapUnits(reinterpret_cast<unsigned char*>(Buffer), static_cast<std::size_t>(Units));
        }
        Text.ReleaseBuffer(static_cast<int>(FirstZeroUnit(Buffer, static_cast<std::size_t>(Units))));
        return 1;
    }

    // Single-byte text in the ANSI code page, up to its first 0 byte. No byte becomes more than
    // one unit, so the wide buffer of size + 1 units always holds the text and its terminator.
    if (Size > GLargestSingleByteFile)
        return 0;
    FBlock Raw;
    if (!Raw.Allocate(DataSize + 2, GRawBufferLine))
        return 0;
    Raw.Data[0] = Mark[0];
    Raw.Data[1] = Mark[1];
    if (File.Reader->Read(Raw.Data + 2, DataSize - 2) != Size - 2)
        return 0;
    Raw.Data[DataSize] = 0;
    Raw.Data[DataSize + 1] = 0;
    GMalloc->SetDebugInfo(GTextFileSource, GWideBufferLine);
    tvWChar* Wide = Text.GetBufferSetLength(Size);
    if (!Wide || Text.GetLength() != Size)
        return Restore(Text, Previous);
    const int Converted = appAnsiToUnicode(Wide, reinterpret_cast<const char*>(Raw.Data), 2 * Size + 2);
    Raw.Reset();
    if (Converted <= 0)
        return Restore(Text, Previous);
    // The conversion stopped at the first 0 byte and counted its terminator.
    const int Length = std::min(Converted / 2 - 1, Size);
    Text.ReleaseBuffer(Length);
    // Text of several bytes per character: the buffer shrinks to the text.
    if (Length < Size)
        Text.FreeExtra();
    return 1;
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

int appSaveBytesToFile(const void* Data, tvULong Size, const tvWChar* FileName)
{
    if (!GFileManager || !FileName || (!Data && Size > 0))
        return 0;
    FReplacingWriter File(GFileManager, FileName);
    FFileWriter* Writer = File.GetWriter();
    if (!Writer)
        return 0;
    // Serialize takes a mutable pointer; the writer only reads from it.
    if (Size > 0)
        Writer->Serialize(const_cast<void*>(Data), Size);
    return File.Commit();
}

} // namespace Tolvane
