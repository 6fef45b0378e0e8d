// Number, date and command text read from arbitrary UTF-16: the parsers stop at the end of their
// text and give values in range.
#include <tvCore/tvCore.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace Tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    std::vector<tvWChar> Text(Size / 2 + 1, 0);
    if (Size >= 2)
        std::memcpy(Text.data(), Data, (Size / 2) * sizeof(tvWChar));
    const tvWChar* P = Text.data();

    volatile int I = appStrToInt(P);
    volatile float F = appStrToFloat(P);
    (void)I;
    (void)F;
    (void)appFExt(P);

    FString Line(P);
    const FDateTime Date(Line);
    (void)Date;

    FString Command, Rest;
    FString Work(Line);
    parse_command(Work, Command, Rest);
    FString Value;
    int Number = 0;
    float Real = 0;
    bool Flag = false;
    FString Key(TVTEXT("Key="));
    parse_param(Line, Key, Value);
    parse_param(Line, Key, Number);
    parse_param(Line, Key, Real);
    parse_param(Line, Key, Flag);

    tvWChar* Trim = Text.data();
    appStrTrimLeft(Trim);
    appStrTrimRight(Trim);
    return 0;
}
