// The archive base.
#include "base/tvPrelude.h"
#include "tvCore/core/files/tvArchive.h"

namespace Tolvane {

FArchive::~FArchive() = default;

int appIsBigEndian() { return 0; }

} // namespace Tolvane
