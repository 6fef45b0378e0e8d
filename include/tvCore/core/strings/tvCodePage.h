// The library's ANSI code page: the code page that narrow text inside packages, archives and
// XML names is read and written in. Windows-1252 unless the host chooses another.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// The current ANSI code page (1252 by default; 936 for GBK, 65001 for UTF-8).
TVCORE_API unsigned appGetAnsiCodePage();
// Chooses the ANSI code page; 0 and code pages this system cannot convert are refused
// (result 0) and leave the setting unchanged.
TVCORE_API int appSetAnsiCodePage(unsigned CodePage);

} // namespace Tolvane
