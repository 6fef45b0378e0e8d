// The asynchronous readers: an archive item or a loose file read through requests that the
// file system's worker serves. Both readers turn a read into a request record, and share the
// request operations, which go to the file system they are tied to.
#include "base/tvPrelude.h"
#include "tvCore/img/tvImgAsyncReaders.h"
#include "tvCore/img/tvImgReaders.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"

namespace Tolvane {

namespace {

// The file manager installed in GFileManager when it is an IMG file system.
FImgFileSystem* InstalledFileSystem() { return dynamic_cast<FImgFileSystem*>(GFileManager); }

// Queues a read of Size bytes at Position for Reader: the handle, or GReadRequestRefused when
// the block passes Limit, the buffer is missing or no file system serves the reader.
tvULong SendFor(FImgFileSystem* FileSystem, FFileAsyncReader* Reader, tvULong Position, tvULong Limit, void* Buffer,
                tvULong Size, FReadRequestCallback Callback, tvLong UserData, tvULong Type, _diFileItem* Item,
                FImgLoader* Loader)
{
    if (!FileSystem || std::uint64_t(Position) + Size > Limit || (!Buffer && Size != 0))
        return GReadRequestRefused;
    READREQUEST Request;
    Request.Buffer = Buffer;
    Request.Loader = Loader;
    Request.Requester = Reader;
    Request.Start = Position;
    Request.Current = Position;
    Request.Size = Size;
    Request.Remaining = Size;
    Request.Item = Item;
    Request.Callback = Callback;
    Request.Type = Type;
    Request.UserData = UserData;
    return FileSystem->SendRequest(Request);
}

// SendReadRequest without a callback, waited for and destroyed: Size, or 0 when refused.
int SyncReadOf(FFileAsyncReader& Reader, void* Buffer, tvULong Size)
{
    const tvULong Handle = Reader.SendReadRequest(Buffer, Size, nullptr, 0);
    if (Handle == GReadRequestRefused)
        return 0;
    Reader.WaitForRequest(Handle);
    Reader.DestroyRequest(Handle);
    return static_cast<int>(Size);
}

} // namespace

// --- FImgFileReaderAsync ----------------------------------------------------------------------

FImgFileReaderAsync::FImgFileReaderAsync(_diFileItem* InItem) : Item(InItem), Position(0), FileSystem(nullptr)
{
    Cache = static_cast<unsigned char*>(GMalloc->Malloc(GImgReaderCacheSize));
    if (FImgFileSystem* Installed = InstalledFileSystem())
        Installed->BindAsyncReader(this);
}

FImgFileReaderAsync::~FImgFileReaderAsync()
{
    if (FileSystem)
        FileSystem->UnbindAsyncReader(this);
}

int FImgFileReaderAsync::GetSize() { return Item ? static_cast<int>(Item->Size) : 0; }

tvULong FImgFileReaderAsync::SendReadRequest(void* Buffer, tvULong Size, FReadRequestCallback Callback, tvLong UserData)
{
    if (!Item)
        return GReadRequestRefused;
    const tvULong Handle = SendFor(FileSystem, this, Position, Item->Size, Buffer, Size, Callback, UserData,
                                   GReadRequestArchive, Item, nullptr);
    if (Handle != GReadRequestRefused)
        Position += Size;
    return Handle;
}

tvULong FImgFileReaderAsync::GetRequestReadSize(tvULong Handle)
{
    return FileSystem ? FileSystem->GetRequestReadSize(Handle) : 0;
}

void FImgFileReaderAsync::WaitForRequest(tvULong Handle)
{
    if (FileSystem)
        FileSystem->WaitForRequest(Handle);
}

int FImgFileReaderAsync::DestroyRequest(tvULong Handle) { return FileSystem ? FileSystem->DestroyRequest(Handle) : 0; }

int FImgFileReaderAsync::SyncRead(void* Buffer, tvULong Size) { return SyncReadOf(*this, Buffer, Size); }

// --- FRawFileReaderAsync ----------------------------------------------------------------------

FRawFileReaderAsync::FRawFileReaderAsync() : Loader(nullptr), FileSystem(nullptr)
{
    if (FImgFileSystem* Installed = InstalledFileSystem())
        Installed->BindAsyncReader(this);
}

FRawFileReaderAsync::~FRawFileReaderAsync()
{
    // The worker may be reading through the loader: untied (which waits for that) first.
    if (FileSystem)
        FileSystem->UnbindAsyncReader(this);
    delete Loader;
}

int FRawFileReaderAsync::Initialize(FString Path)
{
    if (!Loader)
        Loader = new FImgLoaderSync;
    if (!Loader || !Loader->Initialize(Path))
        return 0;
    if (!Cache)
        Cache = static_cast<unsigned char*>(GMalloc->Malloc(GImgReaderCacheSize));
    return Cache ? 1 : 0;
}

int FRawFileReaderAsync::GetSize() { return Loader ? static_cast<int>(Loader->GetLength()) : 0; }

tvULong FRawFileReaderAsync::SendReadRequest(void* Buffer, tvULong Size, FReadRequestCallback Callback, tvLong UserData)
{
    if (!Loader || !Cache)
        return GReadRequestRefused;
    const tvULong Handle = SendFor(FileSystem, this, CurrentPos, Loader->GetLength(), Buffer, Size, Callback, UserData,
                                   GReadRequestLooseFile, nullptr, Loader);
    if (Handle != GReadRequestRefused)
        CurrentPos += Size;
    return Handle;
}

tvULong FRawFileReaderAsync::GetRequestReadSize(tvULong Handle)
{
    return FileSystem ? FileSystem->GetRequestReadSize(Handle) : 0;
}

void FRawFileReaderAsync::WaitForRequest(tvULong Handle)
{
    if (FileSystem)
        FileSystem->WaitForRequest(Handle);
}

int FRawFileReaderAsync::DestroyRequest(tvULong Handle) { return FileSystem ? FileSystem->DestroyRequest(Handle) : 0; }

int FRawFileReaderAsync::SyncRead(void* Buffer, tvULong Size) { return SyncReadOf(*this, Buffer, Size); }

} // namespace Tolvane
