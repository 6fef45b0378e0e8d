// Text between the library's ANSI code page and UTF-16, through the platform's code-page
// conversion (code page 0, flags 0, zero-terminated sources converted with their terminator).
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvCharConversion.h"
#include "tvCore/core/tvMessageBox.h"
#include "platform/tvPlatformText.h"

namespace Tolvane {

namespace {
// A failed system conversion may leave part of the text without a terminator; the caller
// gets the empty text instead.
template <class T>
int Converted(int Result, T* Dst, int Room)
{
    if (Result == 0 && Dst && Room > 0)
        Dst[0] = 0;
    return Result;
}

int AnsiToWide(const char* Src, tvWChar* Dst, int Room)
{
    // A null destination with room, or a negative room, is an invalid call, not a size query.
    if (!Src || Room < 0 || (!Dst && Room > 0))
        return 0;
    return Converted(Platform::MultiByteToWide(Platform::GCodePageAnsi, Src, -1, Dst, Room), Dst, Room);
}

int WideToAnsi(const tvWChar* Src, char* Dst, int Room)
{
    if (!Src || Room < 0 || (!Dst && Room > 0))
        return 0;
    return Converted(Platform::WideToMultiByte(Platform::GCodePageAnsi, Src, -1, Dst, Room), Dst, Room);
}
} // namespace

void appcharTwchar(const char* Src, tvWChar* Dst, int Room) { AnsiToWide(Src, Dst, Room); }

void appwcharTchar(const tvWChar* Src, char* Dst, int Room) { WideToAnsi(Src, Dst, Room); }

tvWChar* winToUNICODE(tvWChar* Dst, const char* Src, int Room)
{
    AnsiToWide(Src, Dst, Room);
    return Dst;
}

char* winToANSI(char* Dst, const tvWChar* Src, int Room)
{
    WideToAnsi(Src, Dst, Room);
    return Dst;
}

int winGetSizeUNICODE(const char* Src) { return AnsiToWide(Src, nullptr, 0); }

int winGetSizeANSI(const tvWChar* Src) { return WideToAnsi(Src, nullptr, 0); }

int appAnsiToUnicode(tvWChar* Dst, const char* Src, int RoomBytes)
{
    const int Room = RoomBytes / 2;
    if (Room <= 0 && Dst)
        return 0;
    const int Count = AnsiToWide(Src, Dst, Room);
    if (Count > 0) {
        if (Dst)
            Dst[Count - 1] = 0;
        return 2 * Count;
    }
    // The reason, as the system would name it: the text needs more room than given, or it is
    // no text the code page can carry (or there is none).
    const bool NeedsRoom = Dst && Src && Room > 0 && AnsiToWide(Src, nullptr, 0) > Room;
    appMessageBox(NeedsRoom ? TVTEXT("The data area passed to a system call is too small.")
                            : TVTEXT("No mapping for the Unicode character exists in the target multi-byte code page."),
                  TVTEXT("Error"), MESSAGEBOX_IconInformation);
    return 0;
}

int appUnicodeToAnsi(char* Dst, const tvWChar* Src, int RoomBytes)
{
    if (RoomBytes <= 0 && Dst)
        return 0;
    const int Count = WideToAnsi(Src, Dst, RoomBytes);
    if (Count > 0 && Dst)
        Dst[Count - 1] = 0;
    return Count;
}

} // namespace Tolvane
