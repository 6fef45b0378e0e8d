// A text file of arbitrary bytes loaded through a memory file manager, under the three kinds of
// ANSI code page (single-byte, double-byte, UTF-8): every load ends with a text or 0, never a
// read beyond the buffers. A loaded text is saved and loaded again.
#include "FuzzLimitedMalloc.h"
#include "files/MemoryFileManager.h"

#include <cstddef>
#include <cstdint>

using namespace Tolvane;

namespace {
void Quiet(const tvWChar*, const tvWChar*, tvULong) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    static FLimitedMalloc Limited;
    static const bool Ready = (GMalloc = &Limited, appSetMessageBoxHandler(Quiet), true);
    (void)Ready;
    static const unsigned CodePages[] = {1252, 936, 65001};
    appSetAnsiCodePage(CodePages[Size % 3]);

    FInMemoryFileManager Files;
    Files.Files[u"in.txt"] = FInMemoryFileManager::FBytes(Data, Data + Size);
    FFileManager* Saved = GFileManager;
    GFileManager = &Files;
    FString Text(u"keep");
    if (appLoadFileToString(Text, u"in.txt") && appSaveStringToFile(Text, u"out.txt")) {
        FString Again;
        appLoadFileToString(Again, u"out.txt");
    }
    TArray<unsigned char> Bytes;
    appLoadFileToArray(Bytes, u"in.txt");
    GFileManager = Saved;
    return 0;
}
