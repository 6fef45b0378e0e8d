// Points GMalloc at another allocator for the length of a scope.
#pragma once

#include <tvCore/tvCore.h>

namespace TestSupport {
struct FScopedMalloc {
    Tolvane::FMalloc* Saved;
    explicit FScopedMalloc(Tolvane::FMalloc* With) : Saved(Tolvane::GMalloc) { Tolvane::GMalloc = With; }
    ~FScopedMalloc() { Tolvane::GMalloc = Saved; }
    FScopedMalloc(const FScopedMalloc&) = delete;
    FScopedMalloc& operator=(const FScopedMalloc&) = delete;
};
} // namespace TestSupport
