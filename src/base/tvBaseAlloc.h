// Memory for the layers below the allocator interface. The platform seam cannot call GMalloc
// (it lives above the seam), yet what it hands out or keeps should come from the same heap as
// everything else: the core installs its allocator here at load time, and until then (and in
// a program that never installs one) the C heap serves.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace Tolvane {
namespace BaseAlloc {

typedef void* (*FAllocate)(std::size_t Bytes);
typedef void (*FRelease)(void* Block);

// Null for a zero size or when memory is refused.
void* Allocate(std::size_t Bytes);
// Null is ignored.
void Release(void* Block);
// Installs the pair every later call goes to; null restores the C heap.
void Install(FAllocate Allocate, FRelease Release);

// Constructs a T in memory from Allocate; null when memory is refused.
template <class T, class... Args>
T* New(Args&&... Arguments)
{
    void* Memory = Allocate(sizeof(T));
    return Memory ? new (Memory) T(std::forward<Args>(Arguments)...) : nullptr;
}
// Destroys and releases an object from New; null is ignored.
template <class T>
void Delete(T* Object)
{
    if (Object) {
        Object->~T();
        Release(Object);
    }
}

} // namespace BaseAlloc
} // namespace Tolvane
