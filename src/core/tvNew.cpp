// The library's global allocation functions: every new and delete inside the library goes to
// GMalloc. The linker's version script keeps these symbols local to the library, so the host
// and other libraries keep their own. A refused request returns null instead of throwing (the
// library throws no exceptions); the build makes new-expressions check for it.
#include "base/tvPrelude.h"
#include "tvCore/core/tvGlobals.h"

using Tolvane::GMalloc;

namespace {
inline void* LibraryAllocate(std::size_t Size) { return GMalloc->Malloc(static_cast<unsigned int>(Size)); }
inline void LibraryFree(void* Ptr) { GMalloc->Free(Ptr); }
} // namespace

#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wnew-returns-null"
#endif

void* operator new(std::size_t Size) { return LibraryAllocate(Size); }
void* operator new[](std::size_t Size) { return LibraryAllocate(Size); }
void* operator new(std::size_t Size, const std::nothrow_t&) noexcept { return LibraryAllocate(Size); }
void* operator new[](std::size_t Size, const std::nothrow_t&) noexcept { return LibraryAllocate(Size); }

#if defined(__clang__)
#pragma clang diagnostic pop
#endif

void operator delete(void* Ptr) noexcept { LibraryFree(Ptr); }
void operator delete[](void* Ptr) noexcept { LibraryFree(Ptr); }
void operator delete(void* Ptr, std::size_t) noexcept { LibraryFree(Ptr); }
void operator delete[](void* Ptr, std::size_t) noexcept { LibraryFree(Ptr); }
void operator delete(void* Ptr, const std::nothrow_t&) noexcept { LibraryFree(Ptr); }
void operator delete[](void* Ptr, const std::nothrow_t&) noexcept { LibraryFree(Ptr); }
