// The system's way of showing a message to a person: a dialog where the system has one, else
// standard error. The library reaches it only through the replaceable handler of tvMessageBox.h.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {
namespace Platform {

// Shows Text under Caption; null texts are empty. Flags are the message-box style bits.
void ShowMessageBox(const tvWChar* Text, const tvWChar* Caption, tvULong Flags);

} // namespace Platform
} // namespace Tolvane
