// The heap without the default allocator's timing and counting, for benchmarks that show what
// the allocator's statistics cost: install it as GMalloc for the length of a scope.
#pragma once

#include <tvCore/tvCore.h>

#include <cstdlib>

namespace tvbench {

class FPlainHeap : public Tolvane::FMalloc {
public:
    void* Malloc(unsigned int Size) override { return std::malloc(Size); }
    void* Realloc(void* Ptr, unsigned int Size) override { return std::realloc(Ptr, Size); }
    void Free(void* Ptr) override { std::free(Ptr); }
};

struct FScopedPlainHeap {
    FPlainHeap Heap;
    Tolvane::FMalloc* Saved = Tolvane::GMalloc;
    FScopedPlainHeap() { Tolvane::GMalloc = &Heap; }
    ~FScopedPlainHeap() { Tolvane::GMalloc = Saved; }
    FScopedPlainHeap(const FScopedPlainHeap&) = delete;
    FScopedPlainHeap& operator=(const FScopedPlainHeap&) = delete;
};

} // namespace tvbench
