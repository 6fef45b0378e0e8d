// Memory for the layers below the allocator interface.
#include "base/tvPrelude.h"
#include "base/tvBaseAlloc.h"

#include <atomic>
#include <cstdlib>

namespace Tolvane {
namespace BaseAlloc {

namespace {
void* HeapAllocate(std::size_t Bytes) { return std::malloc(Bytes); }
void HeapRelease(void* Block) { std::free(Block); }

// Constant-initialised, so they hold the C heap before any constructor runs.
std::atomic<FAllocate> GAllocate{&HeapAllocate};
std::atomic<FRelease> GRelease{&HeapRelease};
} // namespace

void* Allocate(std::size_t Bytes)
{
    return Bytes == 0 ? nullptr : GAllocate.load(std::memory_order_acquire)(Bytes);
}

void Release(void* Block)
{
    if (Block)
        GRelease.load(std::memory_order_acquire)(Block);
}

void Install(FAllocate NewAllocate, FRelease NewRelease)
{
    const bool Heap = !NewAllocate || !NewRelease;
    GRelease.store(Heap ? &HeapRelease : NewRelease, std::memory_order_release);
    GAllocate.store(Heap ? &HeapAllocate : NewAllocate, std::memory_order_release);
}

} // namespace BaseAlloc
} // namespace Tolvane
