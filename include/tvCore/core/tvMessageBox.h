// The message-box seam: the few errors and messages the library shows to a person go through
// one replaceable handler. The default writes the caption and the text to standard error; a
// host with a user interface installs its own, and a test installs one that records the call.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// Style bits a caller may pass, with the values the Windows message box gives them.
constexpr tvULong MESSAGEBOX_Ok = 0x0;
constexpr tvULong MESSAGEBOX_IconError = 0x10;
constexpr tvULong MESSAGEBOX_IconWarning = 0x30;
constexpr tvULong MESSAGEBOX_IconInformation = 0x40;
constexpr tvULong MESSAGEBOX_TaskModal = 0x2000;

// Shows Text under Caption (both zero-terminated; a null one is shown as empty text). Flags
// are the style bits above. Handlers may be called from any thread.
typedef void (*FMessageBoxHandler)(const tvWChar* Text, const tvWChar* Caption, tvULong Flags);

// Installs Handler and returns the one it replaces (never null: the library's default when no
// other was set). Null installs the default again.
TVCORE_API FMessageBoxHandler appSetMessageBoxHandler(FMessageBoxHandler Handler);

// Passes one message to the installed handler.
TVCORE_API void appMessageBox(const tvWChar* Text, const tvWChar* Caption, tvULong Flags);

} // namespace Tolvane
