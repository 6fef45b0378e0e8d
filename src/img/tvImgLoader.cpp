// The IMG loaders: a window of two 64 KiB buffers that slides forward as the cursor passes a
// whole buffer, and is reloaded around the cursor when a seek leaves it.
#include "base/tvPrelude.h"
#include "tvCore/img/tvImgLoader.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"
#include "platform/tvPlatformFileHandle.h"

namespace Tolvane {

// --- FImgLoader -------------------------------------------------------------------------------

FImgLoader::FImgLoader()
    : File(nullptr), FreeList(nullptr), InuseHead(nullptr), InuseTail(nullptr), Length(0), LoadPosition(0),
      UserPosition(0)
{
}

FImgLoader::~FImgLoader()
{
    Platform::FileHandleClose(File);
    File = nullptr;
    for (IMGBUFFER& Buffer : Buffers) {
        if (Buffer.Data)
            GMalloc->Free(Buffer.Data);
        Buffer.Data = nullptr;
    }
}

int FImgLoader::ResetFile() { return SeekFile(0, SEEK_FromBegin); }

int FImgLoader::SeekFile(tvULong Offset, ESeekMethod Method)
{
    tvULong Position;
    switch (Method) {
    case SEEK_FromCurrent:
        Position = UserPosition + Offset;  // 32-bit wrap-around: a backward move is a two's complement
        break;
    case SEEK_FromBegin:
        if (Offset == UserPosition && Offset <= Length)
            return 1;
        Position = Offset;
        break;
    case SEEK_FromEnd:
        if (Offset != 0)
            return 0;
        Position = Length;
        break;
    default:
        return 0;
    }
    if (Position > Length)
        return 0;
    UpdateUserCursorPosition(Position);
    return 1;
}

void FImgLoader::UpdateUserCursorPosition(tvULong Position) { UserPosition = Position; }

void FImgLoader::AddToFreeList(IMGBUFFER* Buffer)
{
    Buffer->Next = FreeList;
    FreeList = Buffer;
}

void FImgLoader::AddToInuseList(IMGBUFFER* Buffer)
{
    Buffer->Next = nullptr;
    if (InuseTail)
        InuseTail->Next = Buffer;
    else
        InuseHead = Buffer;
    InuseTail = Buffer;
}

void FImgLoader::RemoveFromFreeList(IMGBUFFER*)
{
    if (FreeList)
        FreeList = FreeList->Next;
}

void FImgLoader::RemoveFromInuseList(IMGBUFFER*)
{
    if (!InuseHead)
        return;
    InuseHead = InuseHead->Next;
    if (!InuseHead)
        InuseTail = nullptr;
}

// --- FImgLoaderSync ---------------------------------------------------------------------------

FImgLoaderSync::FImgLoaderSync() : Failed(false) {}

FImgLoaderSync::~FImgLoaderSync() = default;

int FImgLoaderSync::Initialize(FString Path)
{
    if (File)
        return 0;  // a loader never reopens or changes its file
    File = Platform::FileHandleOpenRead(Path);
    if (!File)
        return 0;
    const std::int64_t Size = Platform::FileHandleSize(File);
    // The length is a 32-bit field: a larger file would be read at the wrong offsets.
    if (Size < 0 || Size > std::int64_t(0xFFFFFFFFu)) {
        Platform::FileHandleClose(File);
        File = nullptr;
        return 0;
    }
    Length = static_cast<tvULong>(Size);
    for (IMGBUFFER& Buffer : Buffers) {
        Buffer.Data = static_cast<unsigned char*>(GMalloc->Malloc(BufferSize));
        if (!Buffer.Data)
            return 0;
    }
    AddToFreeList(&Buffers[0]);
    AddToFreeList(&Buffers[1]);
    return 1;
}

void FImgLoaderSync::ReadFromDisk(unsigned char* Dest, tvULong Bytes)
{
    const tvULong Got = Platform::FileHandleRead(File, Dest, Bytes);
    if (Got < Bytes) {
        std::memset(Dest + Got, 0, Bytes - Got);
        Failed = true;
    }
    LoadPosition += Bytes;
}

void FImgLoaderSync::LoadToFreeList()
{
    while (FreeList && Length - LoadPosition > 0) {
        IMGBUFFER* Buffer = FreeList;
        const tvULong Remaining = Length - LoadPosition;
        const tvULong Count = Remaining < BufferSize ? Remaining : BufferSize;
        Buffer->Start = LoadPosition;
        ReadFromDisk(Buffer->Data, Count);
        Buffer->Size = Count;
        RemoveFromFreeList(Buffer);
        AddToInuseList(Buffer);
        if (Count < BufferSize)
            break;
    }
}

void FImgLoaderSync::LoadToBuffer()
{
    if (LoadPosition >= Length)
        return;
    if (!InuseHead) {
        LoadToFreeList();
        return;
    }
    const tvULong Room = BufferSize - InuseTail->Size;
    const tvULong Remaining = Length - LoadPosition;
    if (Room > Remaining) {
        ReadFromDisk(InuseTail->Data + InuseTail->Size, Remaining);
        InuseTail->Size += Remaining;
        return;
    }
    if (Room > 0) {
        ReadFromDisk(InuseTail->Data + InuseTail->Size, Room);
        InuseTail->Size += Room;
    }
    LoadToFreeList();
}

void FImgLoaderSync::UnloadAllBuffers()
{
    while (InuseHead) {
        IMGBUFFER* Buffer = InuseHead;
        RemoveFromInuseList(Buffer);
        AddToFreeList(Buffer);
    }
}

void FImgLoaderSync::UnloadFirstInuseBuffer()
{
    if (IMGBUFFER* Buffer = InuseHead) {
        RemoveFromInuseList(Buffer);
        AddToFreeList(Buffer);
    }
}

int FImgLoaderSync::Read(void* Dest, tvULong Size)
{
    if (!File || Failed)
        return 0;
    if (!InuseHead)
        LoadToBuffer();
    if (Failed || Size > Length - UserPosition)
        return 0;
    if (Size == 0)
        return 1;
    unsigned char* Out = static_cast<unsigned char*>(Dest);
    while (Size > 0) {
        const IMGBUFFER* Buffer = InuseHead;
        while (Buffer && Buffer->Start + Buffer->Size <= UserPosition)
            Buffer = Buffer->Next;
        if (!Buffer || Failed)
            return 0;  // a failed disk read; no buffer cannot happen while the window invariant holds
        const tvULong Offset = UserPosition - Buffer->Start;
        const tvULong Available = Buffer->Size - Offset;
        const tvULong Count = Available < Size ? Available : Size;
        std::memcpy(Out, Buffer->Data + Offset, Count);
        Out += Count;
        Size -= Count;
        UpdateUserCursorPosition(UserPosition + Count);
    }
    return Failed ? 0 : 1;
}

void FImgLoaderSync::UpdateUserCursorPosition(tvULong Position)
{
    UserPosition = Position;
    if (InuseHead && InuseHead->Start <= Position && Position <= InuseTail->Start + InuseTail->Size) {
        tvULong Distance = Position - InuseHead->Start;
        std::int64_t Unread = std::int64_t(Length) - std::int64_t(InuseTail->Start + InuseTail->Size);
        while (Distance > BufferSize - 1) {
            if (Unread == 0)
                break;  // the whole rest of the file is in the window
            Unread -= BufferSize;
            UnloadFirstInuseBuffer();
            Distance -= BufferSize;
        }
        LoadToBuffer();
        return;
    }
    LoadPosition = Position;
    Platform::FileHandleSeek(File, Position);
    UnloadAllBuffers();
    LoadToBuffer();
    LoadToBuffer();
}

} // namespace Tolvane
