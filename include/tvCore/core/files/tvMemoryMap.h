// Named blocks of memory shared between processes, and the pool that keeps a process's blocks by
// name. Every process that opens a name sees the same bytes; a lock of the same name (with
// "_lock" appended) guards whole-block reads and writes.
#pragma once

#include "tvCore/core/tvBase.h"
#include "tvCore/core/tvLock.h"
#include "tvCore/core/strings/tvString.h"
#include "tvCore/core/strings/tvArray.h"

namespace Tolvane {

class TVCORE_API FMemoryMap : public FFundament {
public:
    // Opens the block Name; the first opener of a name, in any process, fixes its size, and a
    // block that every user has closed (or that was left by a crashed run) starts afresh, zeroed.
    FMemoryMap(const tvWChar* Name, unsigned int Size);
    ~FMemoryMap();
    FMemoryMap(const FMemoryMap&) = delete;
    FMemoryMap& operator=(const FMemoryMap&) = delete;

    // Copies the whole block into Bytes under the lock. 1; 0 (Bytes untouched) when the block
    // could not be opened.
    int Read(TArray<unsigned char>& Bytes);
    // Copies Bytes to the start of the block under the lock. A longer array is cut to the
    // block's size (nothing is written beyond it). 1; 0 when the block could not be opened.
    int Write(const TArray<unsigned char>& Bytes);
    // The mapped bytes for direct, unlocked access; null when the block could not be opened.
    void* GetData() { return View; }
    unsigned int GetSize() { return Size; }
    FString GetName() { return Name; }

private:
    int Open(const tvWChar* InName, unsigned int InSize);
    void Close();
    void Init();
    void Flush();

    void* View;
    tvULong Size;
    FString Name;
    FProcessLock* Lock;
    tvHandle Mapping;
};

class TVCORE_API FMemMapPool : public FFundament {
public:
    FMemMapPool();
    ~FMemMapPool();
    FMemMapPool(const FMemMapPool&) = delete;
    FMemMapPool& operator=(const FMemMapPool&) = delete;

    // The first map whose name equals Name, ignoring case; null when none.
    FMemoryMap* Find(const FString& Name);
    // Find, or a new map of Name and Size appended to the pool (also when it could not be
    // opened: callers check GetData()); null only when memory for the map is refused.
    FMemoryMap* Get(const FString& Name, int Size);
    // Destroys the map of Name; 1, or 0 when the pool has none.
    int Free(const FString& Name);

private:
    TArray<FMemoryMap*> Maps;
};

} // namespace Tolvane
