// The Windows SDK as the win32 layer includes it: lean, without the min/max macros that would
// break the standard library, and with Unicode calls. Only files of this folder include it.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#  define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#  define NOMINMAX
#endif
#ifndef UNICODE
#  define UNICODE
#endif
#ifndef _UNICODE
#  define _UNICODE
#endif

#include <windows.h>

// SDK macros that would rename the library's own names (Faults::ESystemCall::CreateDirectory);
// this layer calls the wide functions by their full names.
#undef CreateDirectory

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// tvWChar is wchar_t here: library text goes to the wide calls as it is.
static_assert(sizeof(tvWChar) == sizeof(WCHAR), "library text is the system's wide text");
inline LPCWSTR SystemText(const tvWChar* Text) { return reinterpret_cast<LPCWSTR>(Text); }
inline LPWSTR SystemText(tvWChar* Text) { return reinterpret_cast<LPWSTR>(Text); }

// A handle of the system's that the seam hands out: INVALID_HANDLE_VALUE never leaves the layer.
inline tvHandle SeamHandle(HANDLE Handle) { return Handle == INVALID_HANDLE_VALUE ? nullptr : Handle; }

} // namespace Platform
} // namespace Tolvane
