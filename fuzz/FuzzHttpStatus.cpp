// Response header lines from arbitrary bytes: the status-line and Content-Range parsers read
// only within the line, and every answer they give is one the line really holds.
#include "net/tvHttpHeaderParse.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace Tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    // An exact-size copy, so a read past the line's end is caught.
    std::vector<char> Line(Data, Data + Size);
    const char* Text = Line.empty() ? "" : Line.data();
    const int Code = Net::ParseStatusLine(Text, Size);
    if (Code != -1) {
        if (Code < 0 || Code > 999 || Size < 9 || std::memcmp(Text, "HTTP/", 5) != 0)
            std::abort();
    }
    const std::int64_t Total = Net::ParseContentRangeTotal(Text, Size);
    if (Total < -1)
        std::abort();
    return 0;
}
