// Path and text lengths shared by every layer: the interface's fixed working buffers and the
// largest path the system takes.
#pragma once

#include <cstddef>

namespace Tolvane {

// A working path of the interface, in UTF-16 units with the terminator (MAX_PATH).
constexpr std::size_t GWorkingPathUnits = 260;
// A directory setting of the file manager, in UTF-16 units with the terminator.
constexpr std::size_t GDirectorySettingUnits = 256;
// The longest path the system's calls take, in bytes with the terminator (PATH_MAX).
constexpr std::size_t GSystemPathBytes = 4096;

} // namespace Tolvane
