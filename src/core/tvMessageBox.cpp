// The replaceable message-box handler; the platform's own box is the default.
#include "base/tvPrelude.h"
#include "tvCore/core/tvMessageBox.h"
#include "platform/tvPlatformMessageBox.h"

namespace Tolvane {

namespace {
std::atomic<FMessageBoxHandler> GMessageBoxHandler{&Platform::ShowMessageBox};
} // namespace

FMessageBoxHandler appSetMessageBoxHandler(FMessageBoxHandler Handler)
{
    return GMessageBoxHandler.exchange(Handler ? Handler : &Platform::ShowMessageBox);
}

void appMessageBox(const tvWChar* Text, const tvWChar* Caption, tvULong Flags)
{
    GMessageBoxHandler.load()(Text, Caption, Flags);
}

} // namespace Tolvane
