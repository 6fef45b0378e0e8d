// Message boxes on POSIX: one line on standard error, "caption: text", in UTF-8. The line is
// written with a single call so that lines from several threads do not interleave.
#include "base/tvPrelude.h"
#include "platform/tvPlatformMessageBox.h"
#include "platform/tvPlatformText.h"
#include "base/tvUnicode.h"

#include <unistd.h>

namespace Tolvane {
namespace Platform {

namespace {
// Appends as much of Text as fits into Out (Room bytes, one kept for a terminator): a message
// is for a person, so a text too long for the line is cut rather than dropped.
std::size_t AppendCut(const tvWChar* Text, char* Out, std::size_t Room)
{
    if (!Text || Room == 0)
        return 0;
    int Units = -1;
    int Bytes = Unicode::Utf16ToUtf8(Text, Units, Out, Room);
    for (Units = static_cast<int>(Room / 3); Bytes < 0 && Units > 0; Units /= 2)
        Bytes = Unicode::Utf16ToUtf8(Text, Units, Out, Room);
    return Bytes > 0 ? static_cast<std::size_t>(Bytes) : 0;
}
} // namespace

void ShowMessageBox(const tvWChar* Text, const tvWChar* Caption, tvULong)
{
    char Line[4096];
    std::size_t Used = AppendCut(Caption, Line, 256);
    Line[Used++] = ':';
    Line[Used++] = ' ';
    Used += AppendCut(Text, Line + Used, sizeof(Line) - Used - 1);
    Line[Used++] = '\n';
    const ssize_t Written = write(STDERR_FILENO, Line, Used);
    (void)Written;  // nothing sensible is left to do when standard error refuses the line
}

} // namespace Platform
} // namespace Tolvane
