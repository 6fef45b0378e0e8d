// The loose-file writer of the IMG file system. It writes a temporary file beside the target
// and puts it in the target's place when closed, so a file that was there stays intact until
// the new one is complete.
#include "base/tvPrelude.h"
#include "tvCore/img/tvImgReaders.h"
#include "platform/tvPlatformFileHandle.h"
#include "platform/tvPlatformFileReplace.h"
#include "platform/tvPlatformFiles.h"

namespace Tolvane {

namespace {
constexpr int GTemporaryCapacity = 4096;
} // namespace

FRawFileWriterSync::FRawFileWriterSync(FString InFileName) : File(nullptr), FileName(InFileName) {}

FRawFileWriterSync::~FRawFileWriterSync() { FRawFileWriterSync::Close(); }

int FRawFileWriterSync::Initialize()
{
    if (File)
        return 1;
    const tvULong Attributes = Platform::FileGetAttributes(FileName);
    if (Attributes != Platform::FileAttributesInvalid && (Attributes & Platform::FileAttributeReadOnly) &&
        !Platform::FileSetAttributes(FileName, Attributes & ~Platform::FileAttributeReadOnly))
        return 0;
    tvWChar Temporary[GTemporaryCapacity];
    File = Platform::FileHandleCreateTemporary(FileName, Temporary, GTemporaryCapacity);
    if (!File)
        return 0;
    TemporaryName = FString(Temporary);
    return 1;
}

int FRawFileWriterSync::GetSize()
{
    const std::int64_t Size = File ? Platform::FileHandleSize(File) : -1;
    return Size >= 0 && Size <= std::numeric_limits<int>::max() ? static_cast<int>(Size) : 0;
}

void FRawFileWriterSync::Close()
{
    if (!File)
        return;
    Platform::FileHandleClose(File);
    File = nullptr;
    // A file whose bytes did not all arrive never replaces the one that was there; the
    // replacement makes the new bytes durable before they take the name.
    if (IsError() || !Platform::FileReplace(TemporaryName, FileName)) {
        Platform::FileRemove(TemporaryName);
        SetError();
    }
}

void FRawFileWriterSync::Write(void* Data, tvULong Length)
{
    if (File && Length && !Platform::FileHandleWrite(File, Data, Length))
        SetError();
}

void FRawFileWriterSync::Flush()
{
    if (File)
        Platform::FileHandleFlush(File);
}

bool FRawFileWriterSync::IsExisted(const tvWChar* Path)
{
    return Platform::FileGetAttributes(Path) != Platform::FileAttributesInvalid;
}

} // namespace Tolvane
