// The exported globals through which the library's singletons are reached, and the one
// library-wide lock with its guard.
#pragma once

#include "tvCore/core/tvMalloc.h"

namespace Tolvane {

class FLog;
class FFileManager;
class FAppTime;
class FMemMapPool;

extern TVCORE_API FMalloc* GMalloc;          // the active allocator; the static FMallocAnsi at load
extern TVCORE_API FLog* GLog;                // null until appInitCore
extern TVCORE_API FFileManager* GFileManager;
extern TVCORE_API FAppTime* GAppTime;
extern TVCORE_API FMemMapPool* GMemMapPool;
extern TVCORE_API tvULong GRenderThreadId;   // 0xFFFFFFFF until appInitCore
extern TVCORE_API int GIsEditor;             // set only by the host

// The library-wide critical section: recursive per thread, alive from load to unload.
TVCORE_API void appInitCriticalSection();
TVCORE_API void appEnterCriticalSection();
TVCORE_API void appLeaveCriticalSection();
TVCORE_API void appUninitCriticalSection();

// Scope guard for the library-wide critical section.
class TVCORE_API FCriticalSection {
public:
    FCriticalSection() { appEnterCriticalSection(); }
    ~FCriticalSection() { appLeaveCriticalSection(); }
    FCriticalSection(const FCriticalSection&) = delete;
    FCriticalSection& operator=(const FCriticalSection&) = delete;
};

} // namespace Tolvane
