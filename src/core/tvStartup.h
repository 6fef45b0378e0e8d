// How start-up creates the default file manager without the core knowing its class: the
// package file system registers its factory when the library loads.
#pragma once

#include "tvCore/core/files/tvFileManager.h"
#include "base/tvCompiler.h"

namespace Tolvane {

typedef FFileManager* (*FFileManagerFactory)();
TVCORE_INTERNAL void appSetDefaultFileManagerFactory(FFileManagerFactory Factory);

} // namespace Tolvane
