// The member writer: doubling chunks in memory, stored in the package in one go at flush.
#include "base/tvPrelude.h"

#include "tvCore/packages/tvZipFile.h"
#include "tvCore/packages/tvPackage.h"
#include "packages/tvZipGlue.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

FZipFileWriter::FZipFileWriter() : ChunkStart(0), Size(0), ChunkCount(0), Chunks{}, ZipFile(nullptr), FileName{}, Package(nullptr)
{
    ArFlags = FlagSaving | FlagPersistent;
    ArVersion = ArchiveDefaultVersion;
}

FZipFileWriter::~FZipFileWriter()
{
    Flush();
    if (ZipFile) {
        CloseNewZipMember(ZipFile);
        ZipFile = nullptr;
    }
    for (int Index = 0; Index < ChunkLimit && Chunks[Index]; ++Index) {
        GMalloc->Free(Chunks[Index]);
        Chunks[Index] = nullptr;
    }
    ChunkCount = 0;
    if (Package) {
        // A member that failed took its old copy off the carry-over list: the update keeps the
        // old package rather than lose it.
        if (IsError())
            Package->CarryOverBlocked = true;
        Package->ForgetWriter(this);
    }
}

bool FZipFileWriter::SetFileName(const char* Name)
{
    const std::size_t Length = Name ? std::strlen(Name) : 0;
    if (!Name || Length >= sizeof(FileName)) {
        FileName[0] = 0;
        return false;
    }
    std::memcpy(FileName, Name, Length + 1);
    return true;
}

int FZipFileWriter::GetSize() { return static_cast<int>(Size); }

tvULong FZipFileWriter::GetCacheSize(tvULong Chunk) { return Chunk == 0 ? 0 : tvULong(1024) << (Chunk - 1); }

void FZipFileWriter::Write(void* Data, tvULong Length)
{
    // Once stored (chunks handed over, count back to 0), the member is complete; a later write
    // would start from stale offsets. A write past the chunks' room is refused whole, and the
    // error flag keeps the member from being stored in part.
    const bool Stored = ChunkCount == 0 && Size > 0;
    if (Stored || IsError() || Length > MaxMemberSize - Size) {
        if (Length > 0)
            SetError();
        return;
    }
    const unsigned char* Source = static_cast<const unsigned char*>(Data);
    tvULong Remaining = Length;
    for (;;) {
        const tvULong Count = ChunkCount;
        const tvULong Cap = GetCacheSize(Count);
        if ((Size - ChunkStart) + Remaining <= Cap)
            break;
        if (Count > 0) {
            const tvULong Fill = ChunkStart + Cap - Size;
            std::memcpy(Chunks[Count - 1] + (Size - ChunkStart), Source, Fill);
            Size += Fill;
            Source += Fill;
            Remaining -= Fill;
        }
        unsigned char* Chunk = static_cast<unsigned char*>(GMalloc->Malloc(GetCacheSize(Count + 1)));
        if (!Chunk) {
            SetError();
            return;
        }
        Chunks[Count] = Chunk;
        if (Count > 0)
            ChunkStart += Cap;
        ChunkCount = Count + 1;
    }
    if (Remaining > 0) {
        std::memcpy(Chunks[ChunkCount - 1] + (Size - ChunkStart), Source, Remaining);
        Size += Remaining;
    }
}

void FZipFileWriter::Flush()
{
    if (ChunkCount == 0 || IsError())
        return;
    if (!Prepared())
        return;
    for (tvULong Chunk = 1; Chunk < ChunkCount; ++Chunk)
        WriteDataToFile(Chunks[Chunk - 1], GetCacheSize(Chunk));
    if (Size > ChunkStart)
        WriteDataToFile(Chunks[ChunkCount - 1], Size - ChunkStart);
    ChunkCount = 0;
}

void FZipFileWriter::Close()
{
    Flush();
    CloseNewZipMember(ZipFile);
    ZipFile = nullptr;
}

bool FZipFileWriter::Prepared() { return OpenNewZipMember(ZipFile, FileName); }

void FZipFileWriter::WriteDataToFile(void* Data, tvULong Length)
{
    if (!WriteZipMemberData(ZipFile, Data, Length))
        SetError();
}

} // namespace Tolvane
