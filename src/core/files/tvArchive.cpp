// The archive base.
#include "tvCore/core/files/tvArchive.h"

namespace Tolvane {

FArchive::~FArchive() = default;

int appIsBigEndian() { return 0; }

} // namespace Tolvane
