// Room for one system critical section held by value inside a library object. The platform
// layer places its own critical section (a recursive mutex on POSIX) in this storage; the size
// is the largest any supported platform needs.
#pragma once

#include "tvCore/core/tvBase.h"

namespace Tolvane {

struct alignas(8) FSystemSection : public FFundament {
    unsigned char Opaque[64];
};

} // namespace Tolvane
