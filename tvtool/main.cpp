// tvtool: makes, inspects and repairs the library's files from the command line.
//   tvtool GROUP COMMAND [ARGS...] [OPTIONS]     (tvtool --help lists the groups)
#include "Commands.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace tvtool;

namespace {

const FCommandGroup* const Groups[] = {&PackGroup, &IniGroup, &TextGroup, &LinGroup, &ImgGroup, &FetchGroup, nullptr};

const char* const Version = "tvtool 0.1.0 (tvCore 0.1.0)";

void PrintToolHelp()
{
    std::printf("usage: tvtool GROUP COMMAND [ARGS...] [OPTIONS]\n\n"
                "Makes, inspects and repairs the tvCore library's files.\n\n");
    for (const FCommandGroup* const* Group = Groups; *Group; ++Group)
        std::printf("  %-6s %s\n", (*Group)->Name, (*Group)->Summary);
    std::printf("\n"
                "Options of every command:\n"
                "  --help        this text, or a group's ('tvtool pack --help')\n"
                "  --version     the tool's version\n"
                "  --verbose     say more on standard error\n"
                "  --quiet       no progress bar\n"
                "  --json        machine-readable output of the listing commands\n"
                "  --force       overwrite existing files\n"
                "  --codepage N  the ANSI code page of names inside the formats (default 1252)\n"
                "\nExit status: 0 success, 1 failure, 2 usage error.\n");
}

bool AskedFor(int Count, char** Args, const char* Flag)
{
    for (int Index = 0; Index < Count; ++Index) {
        if (std::strcmp(Args[Index], "--") == 0)
            return false;
        if (std::strcmp(Args[Index], Flag) == 0)
            return true;
    }
    return false;
}

// Takes "--codepage N" out of the arguments wherever it stands; false on a bad value.
bool TakeCodePage(int& Count, char** Args, unsigned& CodePage, std::string& Error)
{
    int Out = 0;
    for (int Index = 0; Index < Count; ++Index) {
        const char* Arg = Args[Index];
        const char* Value = nullptr;
        if (std::strcmp(Arg, "--codepage") == 0) {
            if (Index + 1 >= Count) {
                Error = "option --codepage needs a value";
                return false;
            }
            Value = Args[++Index];
        } else if (std::strncmp(Arg, "--codepage=", 11) == 0) {
            Value = Arg + 11;
        } else {
            Args[Out++] = Args[Index];
            continue;
        }
        char* End = nullptr;
        const unsigned long Number = std::strtoul(Value, &End, 10);
        if (!*Value || *End || Number == 0 || Number > 65535) {
            Error = std::string("--codepage takes a number, not \"") + Value + "\"";
            return false;
        }
        CodePage = static_cast<unsigned>(Number);
    }
    Count = Out;
    return true;
}

} // namespace

int main(int Count, char** Args)
{
    const char* ToolUsage = "tvtool GROUP COMMAND [ARGS...] [OPTIONS]";
    --Count;
    ++Args;
    unsigned CodePage = 0;
    std::string Error;
    if (!TakeCodePage(Count, Args, CodePage, Error))
        return UsageError(Error, ToolUsage);
    if (Count == 0)
        return UsageError("no command given", ToolUsage);
    if (std::strcmp(Args[0], "--version") == 0) {
        std::printf("%s\n", Version);
        return ExitOk;
    }
    if (std::strcmp(Args[0], "--help") == 0 || std::strcmp(Args[0], "-h") == 0 || std::strcmp(Args[0], "help") == 0) {
        PrintToolHelp();
        return ExitOk;
    }
    const FCommandGroup* Group = nullptr;
    for (const FCommandGroup* const* Candidate = Groups; *Candidate; ++Candidate)
        if (std::strcmp((*Candidate)->Name, Args[0]) == 0)
            Group = *Candidate;
    if (!Group)
        return UsageError(std::string("unknown command \"") + Args[0] + "\"", ToolUsage);

    // A group of one command ("fetch") takes its arguments at once.
    const FSubcommand* Command = nullptr;
    int Rest = 1;
    if (Group->Commands[0].Name && !Group->Commands[0].Name[0]) {
        Command = &Group->Commands[0];
    } else {
        if (Count < 2 || AskedFor(1, Args + 1, "--help") || AskedFor(1, Args + 1, "-h")) {
            if (Count >= 2) {
                std::printf("usage: %s\n\n%s", Group->Usage, Group->Help);
                return ExitOk;
            }
            return UsageError(std::string("tvtool ") + Group->Name + " needs a command", Group->Usage);
        }
        for (const FSubcommand* Candidate = Group->Commands; Candidate->Name; ++Candidate)
            if (std::strcmp(Candidate->Name, Args[1]) == 0)
                Command = Candidate;
        if (!Command)
            return UsageError(std::string("unknown command \"") + Group->Name + " " + Args[1] + "\"", Group->Usage);
        Rest = 2;
    }
    if (AskedFor(Count - Rest, Args + Rest, "--help") || AskedFor(Count - Rest, Args + Rest, "-h")) {
        std::printf("usage: %s\n\n%s", Group->Usage, Group->Help);
        return ExitOk;
    }
    FCommandLine Line;
    if (!ParseCommandLine(Count - Rest, Args + Rest, Command->Options, Line, Error))
        return UsageError(Error, Group->Usage);

    FLibrary Library;
    if (!Library.Ok())
        return Fail("tvtool", "the library did not start (out of memory)");
    if (CodePage && !Tolvane::appSetAnsiCodePage(CodePage))
        return UsageError("code page " + std::to_string(CodePage) + " cannot be converted on this system", ToolUsage);
    // The library takes Ctrl+C away from the console for a game host; a command-line tool ends
    // on it (fetch installs a handler of its own that cancels the download cleanly).
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGQUIT, SIG_DFL);
    const int Status = Command->Run(Line);
    std::fflush(stdout);
    if (std::ferror(stdout))
        return Fail("standard output", "cannot be written");
    return Status;
}
