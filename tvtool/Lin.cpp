// tvtool lin: the records of a ".lin" recording of the linear file system.
#include "ToolCommon.h"
#include "Commands.h"
#include "LinRecords.h"

namespace tvtool {

namespace {

const char* const LinUsage = "tvtool lin dump FILE.lin [--json]";

const char* const LinHelp =
    "Recordings of the linear file system (.lin): per open, a flag (1 opened, 0 not), the\n"
    "file's size, then the bytes the run read. Reads carry no lengths, so each opened file is\n"
    "taken to be read whole, in order; a recording whose reads went otherwise is reported where\n"
    "its records stop making sense (status 1).\n"
    "\n"
    "  dump FILE.lin   one line per record: offset, opened flag, size, bytes read (--json)\n";

int Dump(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 1)
        return UsageError("lin dump needs FILE.lin", LinUsage);
    const std::string& File = Line.Positionals[0];
    std::vector<unsigned char> Bytes;
    std::string Error;
    if (!PathExists(File))
        return Fail(File, "no such file");
    if (!ReadWholeFile(File, Bytes, Error))
        return Fail(File, Error);
    const FLinRecords Parsed = ParseLinRecords(Bytes.data(), Bytes.size());
    if (GSettings.Json) {
        std::printf("{\"file\": %s, \"records\": [", JsonString(File).c_str());
        for (std::size_t Index = 0; Index < Parsed.Records.size(); ++Index) {
            const FLinRecord& R = Parsed.Records[Index];
            std::printf("%s\n  {\"offset\": %llu, \"opened\": %s, \"size\": %u, \"read\": %llu}", Index ? "," : "",
                        static_cast<unsigned long long>(R.Offset), R.Opened ? "true" : "false", R.Size,
                        static_cast<unsigned long long>(R.BytesRead));
        }
        std::printf("\n], \"problem\": %s}\n", Parsed.Problem.empty() ? "null" : JsonString(Parsed.Problem).c_str());
    } else {
        std::printf("%10s  %-6s  %10s  %10s\n", "offset", "opened", "size", "read");
        for (const FLinRecord& R : Parsed.Records)
            std::printf("%10llu  %-6s  %10u  %10llu\n", static_cast<unsigned long long>(R.Offset), R.Opened ? "yes" : "no",
                        R.Size, static_cast<unsigned long long>(R.BytesRead));
    }
    if (Parsed.LastShort)
        Verbose(File + ": the last file's reads end with the recording");
    if (!Parsed.Problem.empty())
        return Fail(File, "offset " + std::to_string(Parsed.StopOffset) + ": " + Parsed.Problem +
                              "; the recording's reads did not take whole files in order");
    return ExitOk;
}

const FSubcommand LinCommands[] = {
    {"dump", Dump, {nullptr, nullptr}},
    {nullptr, nullptr, {nullptr, nullptr}},
};

} // namespace

const FCommandGroup LinGroup = {"lin", "show the records of a linear file system recording (.lin)", LinUsage, LinHelp,
                                LinCommands};

} // namespace tvtool
