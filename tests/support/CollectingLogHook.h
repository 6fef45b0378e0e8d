// A log hook that keeps every line as "Category: text", for tests that check what was logged.
#pragma once

#include <tvCore/tvCore.h>

#include <string>
#include <vector>
#include "support/WideText.h"

namespace TestSupport {
struct FCollectingLogHook final : Tolvane::FLogHook {
    std::vector<WideText> Lines;
    void Log(const Tolvane::tvWChar* Category, const Tolvane::tvWChar* Format, va_list Args) override
    {
        Tolvane::FString Line;
        Line.FormatV(Format ? Format : TVTEXT(""), Args);
        Lines.push_back(WideText(Category ? Category : TVTEXT("")) + TVTEXT(": ") +
                        WideText(static_cast<const Tolvane::tvWChar*>(Line), Line.GetLength()));
    }
};
} // namespace TestSupport
