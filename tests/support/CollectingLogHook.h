// A log hook that keeps every line as "Category: text", for tests that check what was logged.
#pragma once

#include <tvCore/tvCore.h>

#include <string>
#include <vector>

namespace TestSupport {
struct FCollectingLogHook final : Tolvane::FLogHook {
    std::vector<std::u16string> Lines;
    void Log(const Tolvane::tvWChar* Category, const Tolvane::tvWChar* Format, va_list Args) override
    {
        Tolvane::FString Line;
        Line.FormatV(Format ? Format : u"", Args);
        Lines.push_back(std::u16string(Category ? Category : u"") + u": " +
                        std::u16string(static_cast<const Tolvane::tvWChar*>(Line), Line.GetLength()));
    }
};
} // namespace TestSupport
