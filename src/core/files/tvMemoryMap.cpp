// Named shared-memory blocks and the pool of a process's blocks.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvMemoryMap.h"
#include "platform/tvPlatformSharedMemory.h"

#include <cstring>

namespace Tolvane {

FMemoryMap::FMemoryMap(const tvWChar* InName, unsigned int InSize)
{
    Init();
    Open(InName, InSize);
}

FMemoryMap::~FMemoryMap() { Close(); }

void FMemoryMap::Init()
{
    View = nullptr;
    Size = 0;
    Lock = nullptr;
    Mapping = nullptr;
}

int FMemoryMap::Open(const tvWChar* InName, unsigned int InSize)
{
    const tvWChar* Safe = InName ? InName : TVTEXT("");
    const FString LockName = FString(Safe) + TVTEXT("_lock");
    Lock = new FProcessLock(LockName);
    Name = Safe;
    Size = InSize;
    Platform::FSharedMemoryView Mapped;
    Mapping = Platform::SharedMemoryOpen(Safe, InSize, Mapped);
    if (!Mapping)
        return 0;
    // The block's size is its first opener's, whatever this one asked for.
    View = Mapped.Data;
    Size = Mapped.Size;
    return View != nullptr;
}

void FMemoryMap::Close()
{
    if (Mapping) {
        Platform::FSharedMemoryView Mapped;
        Mapped.Data = View;
        Mapped.Size = Size;
        Platform::SharedMemoryClose(Mapping, Mapped);
    }
    View = nullptr;
    Mapping = nullptr;
    delete Lock;
    Lock = nullptr;
    Size = 0;
    Name.Empty();
}

void FMemoryMap::Flush()
{
    Platform::FSharedMemoryView Mapped;
    Mapped.Data = View;
    Mapped.Size = Size;
    Platform::SharedMemoryFlush(Mapping, Mapped);
}

int FMemoryMap::Read(TArray<unsigned char>& Bytes)
{
    if (!View || !Lock)
        return 0;
    Lock->Lock();
    const int Ok = Bytes.SetSize(static_cast<int>(Size)) >= 0 && Bytes.Num() == static_cast<int>(Size);
    if (Ok)
        std::memcpy(Bytes.GetData(), View, Size);
    Lock->Unlock();
    return Ok;
}

int FMemoryMap::Write(const TArray<unsigned char>& Bytes)
{
    if (!View || !Lock)
        return 0;
    const std::size_t Count = Bytes.Num() < 0 ? 0 : static_cast<std::size_t>(Bytes.Num());
    Lock->Lock();
    if (Count)
        std::memcpy(View, Bytes.GetData(), Count < Size ? Count : Size);
    Flush();
    Lock->Unlock();
    return 1;
}

FMemMapPool::FMemMapPool() = default;

FMemMapPool::~FMemMapPool()
{
    for (int i = 0; i < Maps.Num(); ++i)
        delete Maps[i];
    Maps.RemoveAll(1);
}

FMemoryMap* FMemMapPool::Find(const FString& Name)
{
    for (int i = 0; i < Maps.Num(); ++i) {
        FString Other = Maps[i]->GetName();
        if (Other.CompareNoCase(Name) == 0)
            return Maps[i];
    }
    return nullptr;
}

FMemoryMap* FMemMapPool::Get(const FString& Name, int Size)
{
    if (FMemoryMap* Found = Find(Name))
        return Found;
    // A negative size opens nothing: the map stays in the pool unusable, as a failed open does.
    FMemoryMap* Map = new FMemoryMap(Name, Size > 0 ? static_cast<unsigned int>(Size) : 0u);
    if (Map && Maps.AddItem(Map) < 0) {
        delete Map;
        Map = nullptr;
    }
    return Map;
}

int FMemMapPool::Free(const FString& Name)
{
    for (int i = 0; i < Maps.Num(); ++i) {
        FString Other = Maps[i]->GetName();
        if (Other.CompareNoCase(Name) == 0) {
            delete Maps[i];
            Maps.RemoveAt(i);
            return 1;
        }
    }
    return 0;
}

} // namespace Tolvane
