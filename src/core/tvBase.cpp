// The root classes.
#include "base/tvPrelude.h"
#include "tvCore/core/tvBase.h"
#include "tvCore/core/tvGlobals.h"

namespace Tolvane {

void* FFundament::operator new(std::size_t Size) noexcept { return GMalloc->Malloc(static_cast<unsigned int>(Size)); }
void* FFundament::operator new[](std::size_t Size) noexcept { return GMalloc->Malloc(static_cast<unsigned int>(Size)); }
void FFundament::operator delete(void* Ptr) noexcept { GMalloc->Free(Ptr); }
void FFundament::operator delete[](void* Ptr) noexcept { GMalloc->Free(Ptr); }

FInterface::~FInterface() = default;

FExec::~FExec() = default;

int FExec::Exec(tvWChar*, FString&) { return 1; }

} // namespace Tolvane
