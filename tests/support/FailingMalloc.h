// A test allocator installed as GMalloc for a scope: it forwards to the allocator it replaced
// and refuses the Nth request it sees (and, optionally, every later one), counting the blocks
// alive through it so a test can tell that a refused operation leaked nothing.
#pragma once

#include <tvCore/tvCore.h>

namespace tvtest {

class FFailingMalloc : public Tolvane::FMalloc {
public:
    // RefuseAt: the 1-based number of the request to refuse; 0 refuses none.
    explicit FFailingMalloc(int RefuseAt, bool RefuseLater = false)
        : Inner(Tolvane::GMalloc), RefuseNumber(RefuseAt), Sticky(RefuseLater)
    {
        Tolvane::GMalloc = this;
    }
    ~FFailingMalloc() override { Tolvane::GMalloc = Inner; }
    FFailingMalloc(const FFailingMalloc&) = delete;
    FFailingMalloc& operator=(const FFailingMalloc&) = delete;

    int Live = 0;        // blocks handed out through this allocator and not yet freed
    int Requests = 0;    // requests seen
    int Refusals = 0;    // requests refused

    void* Malloc(unsigned int Size) override
    {
        if (Refuse())
            return nullptr;
        void* Block = Inner->Malloc(Size);
        Live += Block ? 1 : 0;
        return Block;
    }
    void* Realloc(void* Ptr, unsigned int Size) override
    {
        if (Refuse())
            return nullptr;
        void* Block = Inner->Realloc(Ptr, Size);
        Live += Block && !Ptr ? 1 : 0;
        Live -= !Block && Ptr && Size == 0 ? 1 : 0;
        return Block;
    }
    void Free(void* Ptr) override
    {
        Live -= Ptr ? 1 : 0;
        Inner->Free(Ptr);
    }

private:
    bool Refuse()
    {
        ++Requests;
        const bool No = RefuseNumber > 0 && (Requests == RefuseNumber || (Sticky && Requests > RefuseNumber));
        Refusals += No ? 1 : 0;
        return No;
    }
    Tolvane::FMalloc* Inner;
    int RefuseNumber;
    bool Sticky;
};

} // namespace tvtest
