// Start-up and shut-down: the calls with which a host brackets its use of the library.
//   appInitCore: GRenderThreadId, GFileManager (the package file system, package mode 3), GLog,
//                GAppTime, GMemMapPool; the console control handler; the processor clock rate.
//   appExitCore: deletes GMemMapPool, GAppTime, GLog and GFileManager, in that order.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// Creates the singletons and measures the processor clock. 1; 0 when memory for a singleton
// was refused (the singletons that could be made are torn down again, and every global is null).
// Called again without appExitCore, it tears the previous singletons down first.
TVCORE_API int appInitCore();
// Destroys the singletons appInitCore made; their globals become null. Always 1.
TVCORE_API int appExitCore();

} // namespace Tolvane
