// A test allocator installed as GMalloc for a scope: it forwards to the allocator it replaced,
// counts the blocks alive through it and can refuse requests.
#pragma once

#include <tvCore/tvCore.h>

namespace tvtest {

class FCountingMalloc : public Tolvane::FMalloc {
public:
    FCountingMalloc() : Inner(Tolvane::GMalloc) { Tolvane::GMalloc = this; }
    ~FCountingMalloc() override { Tolvane::GMalloc = Inner; }
    FCountingMalloc(const FCountingMalloc&) = delete;
    FCountingMalloc& operator=(const FCountingMalloc&) = delete;

    int Live = 0;                       // blocks handed out and not yet freed
    bool RefuseAll = false;             // refuse every request
    unsigned RefuseAbove = 0xFFFFFFFFu; // refuse requests of more bytes than this

    void* Malloc(unsigned int Size) override
    {
        if (Refused(Size))
            return nullptr;
        void* Block = Inner->Malloc(Size);
        Live += Block ? 1 : 0;
        return Block;
    }
    void* Realloc(void* Ptr, unsigned int Size) override
    {
        if (Refused(Size))
            return nullptr;
        void* Block = Inner->Realloc(Ptr, Size);
        Live += Block && !Ptr ? 1 : 0;
        return Block;
    }
    void Free(void* Ptr) override
    {
        Live -= Ptr ? 1 : 0;
        Inner->Free(Ptr);
    }

private:
    bool Refused(unsigned int Size) const { return RefuseAll || Size > RefuseAbove; }
    Tolvane::FMalloc* Inner;
};

} // namespace tvtest
