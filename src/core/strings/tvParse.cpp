// Command-line parsing on strings.
#include "base/tvPrelude.h"
#include "tvCore/core/strings/tvParse.h"
#include "tvCore/core/strings/tvStringUtils.h"
#include "core/strings/tvWideRuntime.h"

namespace Tolvane {

int parse_command(FString& Line, FString& Command, FString& Rest)
{
    // Command is emptied before Line is read: when they are one object, split a copy.
    if (&Line == &Command || &Line == &Rest) {
        FString Copy(Line);
        return parse_command(Copy, Command, Rest);
    }
    Command.Empty();
    const tvWChar* Text = Line;
    const int Length = Line.GetLength();
    int Space = 0;
    while (Space < Length && Text[Space] != u' ')
        ++Space;
    if (Space < 1)
        return 0;
    Command = FString(Text, Space);
    if (Space + 1 < Length)
        Rest = FString(Text + Space + 1, Length - Space - 1);
    return 1;
}

int parse_param(FString& Line, const FString& Key, FString& Value)
{
    const tvWChar* Text = Line;
    const tvWChar* KeyText = Key;
    if (!*KeyText)
        return 0;  // an empty key "occurs" at the start of the line, where no key may stand
    const tvWChar* Found = Wide::FindString(Text, KeyText);
    if (!Found || Found == Text || Found[-1] != u' ')
        return 0;
    const tvWChar* Start = Found + Wide::Length(KeyText);
    tvWChar Close = u' ';
    if (*Start == u'"') {
        Close = u'"';
        ++Start;
    }
    const tvWChar* End = Start;
    while (*End && *End != Close)
        ++End;
    Value = FString(Start, static_cast<int>(End - Start));
    return 1;
}

int parse_param(FString& Line, const FString& Key, int& Value)
{
    FString Text;
    if (!parse_param(Line, Key, Text))
        return 0;
    Value = Wide::AtoI(Text);
    return 1;
}

int parse_param(FString& Line, const FString& Key, float& Value)
{
    FString Text;
    if (!parse_param(Line, Key, Text))
        return 0;
    Value = appStrToFloat(Text);
    return 1;
}

int parse_param(FString& Line, const FString& Key, bool& Value)
{
    FString Text;
    if (!parse_param(Line, Key, Text))
        return 0;
    Value = Wide::AtoI(Text) != 0;
    return 1;
}

} // namespace Tolvane
