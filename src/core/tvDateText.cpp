// The text form of a date: "year-month-day:hour:minute:second" in decimal, e.g.
// 2022-6-27:11:57:8.
#include "base/tvPrelude.h"
#include "tvCore/core/tvDate.h"
#include "tvCore/core/strings/tvString.h"
#include "core/strings/tvWideRuntime.h"

namespace Tolvane {

FDateTime::FDateTime(const FString& Text) : FDateTime()
{
    // As a scanf "%d-%d-%d:%d:%d:%d" reads it: each number may have leading white space and a
    // sign, each separator must follow at once, and reading stops at the first field or
    // separator that does not match (out-of-range numbers saturate).
    int* const Fields[6] = {&Year, &Month, &Day, &Hour, &Minute, &Second};
    const tvWChar Separators[6] = {u'-', u'-', u':', u':', u':', 0};
    const tvWChar* Cursor = Text;
    for (int i = 0; i < 6; ++i) {
        const tvWChar* End = Cursor;
        const tvLong Value = Wide::ToLong(Cursor, &End, 10);
        if (End == Cursor)
            return;
        *Fields[i] = Value;
        Cursor = End;
        if (Separators[i] != 0) {
            if (*Cursor != Separators[i])
                return;
            ++Cursor;
        }
    }
}

void FDateTime::FormatString(FString& Out) const
{
    Out.Format(TVTEXT("%d-%d-%d:%d:%d:%d"), Year, Month, Day, Hour, Minute, Second);
}

} // namespace Tolvane
