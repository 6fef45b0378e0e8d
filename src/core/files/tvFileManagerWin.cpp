// The native file manager: readers and writers over the machine's files, file lookup and
// directory listing, all through the platform's file services.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvFileManagerWin.h"
#include "platform/tvPlatformFiles.h"

namespace Tolvane {

namespace {
// GetSize reports an int; a reader of a larger file could not tell its size.
constexpr std::int64_t GLargestReadableFile = std::numeric_limits<int>::max();
} // namespace

FFileManagerWin::FFileManagerWin() = default;

FFileManagerWin::~FFileManagerWin() = default;

FFileReader* FFileManagerWin::CreateReader(const tvWChar* Path)
{
    tvHandle Stream = Platform::StreamOpen(Path, Platform::EStreamMode::ReadBinary);
    if (!Stream)
        return nullptr;
    std::int64_t Size = -1;
    if (Platform::StreamSeek(Stream, 0, Platform::EStreamOrigin::End)) {
        Size = Platform::StreamTell(Stream);
        if (!Platform::StreamSeek(Stream, 0, Platform::EStreamOrigin::Begin))
            Size = -1;
    }
    FFileReader* Reader = nullptr;
    if (Size >= 0 && Size <= GLargestReadableFile)
        Reader = new FFileReaderWin(Stream, static_cast<tvULong>(Size));
    if (!Reader)
        Platform::StreamClose(Stream);
    return Reader;
}

FFileWriter* FFileManagerWin::CreateWriter(const tvWChar* Path)
{
    // The writer's memory comes first: opening truncates the file, and a writer refused its
    // memory after that would have emptied a file that was there for nothing.
    void* Memory = FFundament::operator new(sizeof(FFileWriterWin));
    if (!Memory)
        return nullptr;
    const tvULong Attributes = Platform::FileGetAttributes(Path);
    if (Attributes != Platform::FileAttributesInvalid && (Attributes & Platform::FileAttributeReadOnly))
        Platform::FileSetAttributes(Path, Attributes & ~Platform::FileAttributeReadOnly);
    tvHandle Stream = Platform::StreamOpen(Path, Platform::EStreamMode::WriteBinary);
    if (!Stream) {
        FFundament::operator delete(Memory);
        return nullptr;
    }
    return new (Memory) FFileWriterWin(Stream);
}

bool FFileManagerWin::FindFile(const tvWChar* Path)
{
    Platform::FFindData Found;
    tvHandle Search = Platform::DirectorySearchFirst(Path, Found);
    Platform::DirectorySearchClose(Search);
    return Search != nullptr;
}

void FFileManagerWin::GetFilesFromDirectory(const tvWChar* Directory, TArray<FString>& Files)
{
    if (!Directory)
        return;
    const FString Prefix(Directory);
    const FString Pattern = Prefix + TVTEXT("*.*");
    Platform::FFindData Found;
    tvHandle Search = Platform::DirectorySearchFirst(Pattern, Found);
    if (!Search)
        return;
    // The first entry is the directory's own "." and is never examined.
    while (Platform::DirectorySearchNext(Search, Found)) {
        if (Found.Attributes & Platform::FileAttributeDirectory)
            continue;
        Files.AddItem(Prefix + Found.Name);
    }
    Platform::DirectorySearchClose(Search);
}

} // namespace Tolvane
