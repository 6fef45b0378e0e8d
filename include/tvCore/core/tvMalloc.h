// The replaceable allocator interface and the library's two allocators.
#pragma once

#include "tvCore/core/tvBase.h"

namespace Tolvane {

// The kind of memory being allocated; callers bracket allocations with Push/PopMallocTag.
enum EMallocTag {
    MALLOC_TAG_DEFAULT = 0,
    MALLOC_TAG_NAMETABLE = 2,    // inside the name table's construction
    MALLOC_TAG_STRINGPOOL = 16,  // inside the string buffer pool's construction
};

class TVCORE_API FMalloc : public FInterface {
public:
    double MallocTime = 0.0;   // seconds spent inside Malloc
    double ReallocTime = 0.0;  // seconds spent inside Realloc
    double FreeTime = 0.0;     // seconds spent inside Free
    std::int32_t MallocCount = 0;
    std::int32_t ReallocCount = 0;
    std::int32_t FreeCount = 0;

    FMalloc() = default;
    FMalloc(const FMalloc&) = default;
    FMalloc& operator=(const FMalloc&) = default;
    ~FMalloc() override;

    virtual void* Malloc(unsigned int Size) = 0;
    virtual void* Realloc(void* Ptr, unsigned int Size) = 0;
    virtual void Free(void* Ptr) = 0;
    virtual void Dump();
    virtual void SetDebugInfo(const char* File, int Line);
    virtual int GetAllocatedSize(EMallocTag Tag);
    virtual int GetAllocatedSize();
    virtual void PushMallocTag(EMallocTag Tag);
    virtual void PopMallocTag(EMallocTag Tag);
};

// The default allocator, over the standard heap; every call is timed and counted. Blocks are
// plain heap blocks. Constructing one initialises the library-wide critical section and
// destroying one deletes it, so only the library's own static instance exists.
class TVCORE_API FMallocAnsi : public FMalloc {
public:
    FMallocAnsi();
    ~FMallocAnsi() override;

    void* Malloc(unsigned int Size) override;
    void* Realloc(void* Ptr, unsigned int Size) override;
    void Free(void* Ptr) override;
};

// An allocator that refuses every request; used only through an FMalloc pointer.
class TVCORE_API FMallocNull : public FMalloc {
public:
    FMallocNull() = default;
    ~FMallocNull() override;

private:
    void* Malloc(unsigned int Size) override;
    void* Realloc(void* Ptr, unsigned int Size) override;
    void Free(void* Ptr) override;
};

// A plain doubly linked list record, copied field by field.
template <class T>
struct TSimpleDoubleList {
    T* Head = nullptr;
    T* Tail = nullptr;
    int Count = 0;
};

// Declared member of the allocator family. The debug allocator keeps no behaviour of its own;
// its record names an allocation site for hosts that track blocks themselves.
class TVCORE_API FMallocDebug {
public:
    struct FMemDebugBase {
        FMemDebugBase* Prev = nullptr;
        FMemDebugBase* Next = nullptr;
        const char* File = nullptr;
        int Line = 0;
        unsigned int Size = 0;
    };
    typedef TSimpleDoubleList<FMemDebugBase> FMemDebugList;
};

} // namespace Tolvane
