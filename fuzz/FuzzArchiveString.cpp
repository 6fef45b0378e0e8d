// Stored strings, flag sets and names read from arbitrary bytes: every read ends with a value
// or the archive's error flag, never a read beyond the data or an allocation the data cannot
// justify.
#include <tvCore/tvCore.h>

#include <cstddef>
#include <cstdint>

using namespace Tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TArray<unsigned char> Bytes;
    for (std::size_t i = 0; i < Size; ++i)
        Bytes.AddItem(Data[i]);
    FMemoryReader Reader(Bytes);
    FNameHash Names(64, 64);
    while (!Reader.IsError() && Reader.Tell() < Size) {
        FString Text;
        Reader << Text;
        FBitFlag Flags;
        Reader << Flags;
        tvULong Name = 0;
        appSerializeName(Reader, Names, Name);
    }
    return 0;
}
