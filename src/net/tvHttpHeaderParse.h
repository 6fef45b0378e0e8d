// Parsing of the response header lines the download manager looks at: the status line of every
// response (HTTP/1.x and HTTP/2 alike) and the total length of a Content-Range. Lines come from
// the server as they are: not terminated, of any length, possibly holding any bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Tolvane {
namespace Net {

// The status code of a status line ("HTTP/" version, spaces, three digits, then the end, a
// space or a line end), or -1 when the line is no status line.
inline int ParseStatusLine(const char* Line, std::size_t Size)
{
    static const char Prefix[] = "HTTP/";
    constexpr std::size_t PrefixLength = sizeof Prefix - 1;
    if (!Line || Size < PrefixLength)
        return -1;
    for (std::size_t i = 0; i < PrefixLength; ++i)
        if (Line[i] != Prefix[i])
            return -1;
    std::size_t At = PrefixLength;
    const std::size_t VersionStart = At;
    while (At < Size && ((Line[At] >= '0' && Line[At] <= '9') || Line[At] == '.'))
        ++At;
    if (At == VersionStart || At == Size || Line[At] != ' ')
        return -1;
    while (At < Size && Line[At] == ' ')
        ++At;
    if (Size - At < 3)
        return -1;
    int Code = 0;
    for (int i = 0; i < 3; ++i, ++At) {
        if (Line[At] < '0' || Line[At] > '9')
            return -1;
        Code = Code * 10 + (Line[At] - '0');
    }
    if (At < Size && Line[At] != ' ' && Line[At] != '\r' && Line[At] != '\n')
        return -1;
    return Code;
}

// Whether a status code counts as a successful download (200 to 206).
inline bool IsSuccessStatus(int Code) { return Code >= 200 && Code <= 206; }

// The complete length of a "Content-Range: bytes ..." header ("bytes */N" or "bytes A-B/N"),
// or -1 when the line is no such header or the length is unknown ("*") or out of range.
inline std::int64_t ParseContentRangeTotal(const char* Line, std::size_t Size)
{
    static const char Name[] = "content-range:";
    constexpr std::size_t NameLength = sizeof Name - 1;
    if (!Line || Size < NameLength)
        return -1;
    for (std::size_t i = 0; i < NameLength; ++i) {
        char C = Line[i];
        if (C >= 'A' && C <= 'Z')
            C = static_cast<char>(C - 'A' + 'a');
        if (C != Name[i])
            return -1;
    }
    std::size_t At = NameLength;
    while (At < Size && (Line[At] == ' ' || Line[At] == '\t'))
        ++At;
    static const char Unit[] = "bytes ";
    for (std::size_t i = 0; i < sizeof Unit - 1; ++i, ++At)
        if (At >= Size || Line[At] != Unit[i])
            return -1;
    while (At < Size && Line[At] != '/')
        ++At;
    if (At == Size)
        return -1;
    ++At;
    const std::size_t DigitsStart = At;
    std::int64_t Total = 0;
    while (At < Size && Line[At] >= '0' && Line[At] <= '9') {
        const int Digit = Line[At] - '0';
        if (Total > (INT64_MAX - Digit) / 10)
            return -1;
        Total = Total * 10 + Digit;
        ++At;
    }
    if (At == DigitsStart)
        return -1;
    while (At < Size && (Line[At] == ' ' || Line[At] == '\t' || Line[At] == '\r' || Line[At] == '\n'))
        ++At;
    return At == Size ? Total : -1;
}

} // namespace Net
} // namespace Tolvane
