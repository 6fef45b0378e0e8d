// A test allocator that records every live block and the malloc tags pushed around
// allocations, and refuses requests once a given number has been served. Install it with
// TestSupport::FScopedMalloc.
#pragma once

#include <tvCore/tvCore.h>

#include <set>

namespace TestSupport {

// Forwards to the allocator that was active when it was made; counts live blocks, records the
// malloc tag pushed around each allocation, and refuses once RefuseAfter more requests were
// served (negative: never refuses).
class FRecordingMalloc : public Tolvane::FMalloc {
public:
    Tolvane::FMalloc* Inner = Tolvane::GMalloc;
    std::set<void*> Live;
    int Requests = 0;
    int RefuseAfter = -1;
    int TagDepth = 0;
    int TaggedAllocations = 0;   // allocations made while the name-table tag was pushed
    int LastTag = -1;

    void* Malloc(unsigned int Size) override
    {
        ++Requests;
        if (RefuseAfter == 0)
            return nullptr;
        if (RefuseAfter > 0)
            --RefuseAfter;
        void* Block = Inner->Malloc(Size);
        if (Block != nullptr)
            Live.insert(Block);
        if (TagDepth > 0)
            ++TaggedAllocations;
        return Block;
    }
    void* Realloc(void* Ptr, unsigned int Size) override
    {
        ++Requests;
        if (RefuseAfter == 0)
            return nullptr;
        if (RefuseAfter > 0)
            --RefuseAfter;
        void* Block = Inner->Realloc(Ptr, Size);
        if (Block != nullptr) {
            Live.erase(Ptr);
            Live.insert(Block);
        }
        return Block;
    }
    void Free(void* Ptr) override
    {
        if (Ptr != nullptr)
            Live.erase(Ptr);
        Inner->Free(Ptr);
    }
    void PushMallocTag(Tolvane::EMallocTag Tag) override
    {
        ++TagDepth;
        LastTag = Tag;
    }
    void PopMallocTag(Tolvane::EMallocTag Tag) override
    {
        --TagDepth;
        LastTag = Tag;
    }
};

} // namespace TestSupport
