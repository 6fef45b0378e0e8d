// The ANSI code page setting, kept by the code-page layer.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvCodePage.h"

#include "platform/tvPlatformText.h"

namespace Tolvane {

unsigned appGetAnsiCodePage()
{
    return Platform::AnsiCodePage();
}

int appSetAnsiCodePage(unsigned CodePage)
{
    return Platform::SetAnsiCodePage(CodePage) ? 1 : 0;
}

} // namespace Tolvane
