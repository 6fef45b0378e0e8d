// Splitting a ".lin" recording into its records.
#include "LinRecords.h"

#include <cstdio>

namespace tvtool {

FLinRecords ParseLinRecords(const unsigned char* Data, std::size_t Size)
{
    FLinRecords Out;
    std::size_t At = 0;
    while (At < Size) {
        const unsigned char Flag = Data[At];
        if (Flag > 1) {
            char Text[96];
            std::snprintf(Text, sizeof(Text), "byte 0x%02x where a record should start (0 or 1)", Flag);
            Out.Problem = Text;
            Out.StopOffset = At;
            return Out;
        }
        FLinRecord Record{At, Flag == 1, 0, 0};
        if (Flag == 0) {
            Out.Records.push_back(Record);
            ++At;
            continue;
        }
        if (Size - At < 5) {
            Out.Problem = "the recording ends inside a file's size";
            Out.StopOffset = At;
            return Out;
        }
        Record.Size = static_cast<std::uint32_t>(Data[At + 1]) | static_cast<std::uint32_t>(Data[At + 2]) << 8 |
                      static_cast<std::uint32_t>(Data[At + 3]) << 16 | static_cast<std::uint32_t>(Data[At + 4]) << 24;
        At += 5;
        const std::size_t Remaining = Size - At;
        Record.BytesRead = Record.Size <= Remaining ? Record.Size : Remaining;
        Out.LastShort = Record.BytesRead < Record.Size;
        At += static_cast<std::size_t>(Record.BytesRead);
        Out.Records.push_back(Record);
    }
    return Out;
}

} // namespace tvtool
