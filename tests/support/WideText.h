// Text in the library's code-unit type for tests: WideText is std::u16string on POSIX and
// std::wstring on Windows, so the same test compares library text on both. Literals are written
// TVTEXT("...") and TVTEXT('x'), never u"..." (a char16_t literal is not library text on Windows).
#pragma once

#include <tvCore/core/tvTypes.h>

#include <filesystem>
#include <string>

using WideText = std::basic_string<Tolvane::tvWChar>;

// A system path as library text (UTF-16 code units on every platform).
inline WideText PathText(const std::filesystem::path& Path)
{
    const std::u16string Units = Path.u16string();
    return WideText(Units.begin(), Units.end());
}
