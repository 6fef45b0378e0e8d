// An arbitrary ".lin" file split into records by tvtool's dump: records never reach past the
// data, offsets rise, and the bytes taken by the records and the stop point add up.
#include "../tvtool/LinRecords.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const tvtool::FLinRecords Parsed = tvtool::ParseLinRecords(Data, Size);
    std::uint64_t End = 0;
    for (const tvtool::FLinRecord& Record : Parsed.Records) {
        if (Record.Offset != End || Record.BytesRead > Record.Size || (!Record.Opened && Record.Size != 0))
            std::abort();
        End = Record.Offset + (Record.Opened ? 5 + Record.BytesRead : 1);
        if (End > Size)
            std::abort();
    }
    if (Parsed.Problem.empty() ? End != Size : Parsed.StopOffset != End)
        std::abort();
    return 0;
}
