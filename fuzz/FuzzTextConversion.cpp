// Text conversions over arbitrary bytes: narrow text in Windows-1252, GBK and UTF-8 to UTF-16 and
// back, UTF-16 to UTF-32 and back, and the UTF-8 helpers of FString. Every result stays inside
// its buffer and is terminated.
#include <tvCore/tvCore.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace Tolvane;

namespace {
void Silent(const tvWChar*, const tvWChar*, tvULong) {}

void Check(bool Condition)
{
    if (!Condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    static const bool Quiet = (appSetMessageBoxHandler(&Silent), true);
    (void)Quiet;
    if (Size == 0)
        return 0;
    static const unsigned CodePages[] = {1252, 936, 65001};
    const unsigned CodePage = CodePages[Data[0] % 3];
    appSetAnsiCodePage(CodePage);

    // Narrow text: the bytes after the selector, terminated.
    std::vector<char> Narrow(Data + 1, Data + Size);
    Narrow.push_back(0);
    const int Room = 2 * int(Size) + 8;
    std::vector<tvWChar> Wide(std::size_t(Room) + 1, tvWChar(0x5A5A));
    appAnsiToUnicode(Wide.data(), Narrow.data(), Room * int(sizeof(tvWChar)));
    Check(Wide[std::size_t(Room)] == tvWChar(0x5A5A));
    std::vector<char> Back(std::size_t(4 * Room) + 1, 'Z');
    Wide[std::size_t(Room) - 1] = 0;
    appUnicodeToAnsi(Back.data(), Wide.data(), 4 * Room);
    Check(Back[std::size_t(4 * Room)] == 'Z');

    // The same bytes as UTF-16 units, to UTF-32 and back.
    const int Units = int((Size - 1) / 2);
    std::vector<tvUShort> Utf16(std::size_t(Units) + 1, 0);
    if (Units > 0)
        std::memcpy(Utf16.data(), Data + 1, std::size_t(Units) * 2);
    std::vector<tvULong> Utf32(std::size_t(Units) + 1, 0xA5A5A5A5u);
    apputf16Tutf32(Utf32.data(), Units, Utf16.data(), Units);
    Check(Utf32[std::size_t(Units)] == 0xA5A5A5A5u);
    std::vector<tvUShort> Again(std::size_t(2 * Units) + 2, tvUShort(0x5A5A));
    apputf32Tutf16(Again.data(), 2 * Units + 1, Utf32.data(), Units);
    Check(Again[std::size_t(2 * Units) + 1] == tvUShort(0x5A5A));

    // FString's UTF-8 helpers.
    std::vector<tvUShort> FromUtf8(Size + 2, tvUShort(0x5A5A));
    FString::UTF8ToUnicode(FromUtf8.data(), int(Size), Narrow.data(), int(Size - 1));
    Check(FromUtf8[Size + 1] == tvUShort(0x5A5A));
    return 0;
}
