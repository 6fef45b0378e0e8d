// tvtool ini: INI configuration files read and written by the library (UTF-16 with its byte
// order mark, or ANSI text; always written back as UTF-16LE with FF FE and CR LF lines).
#include "ToolCommon.h"
#include "Commands.h"

#include <filesystem>
#include <system_error>

namespace tvtool {

using namespace Tolvane;
namespace fs = std::filesystem;

namespace {

const char* const IniUsage =
    "tvtool ini get FILE SECTION KEY\n"
    "       tvtool ini set FILE SECTION KEY VALUE\n"
    "       tvtool ini dump FILE [--json]";

const char* const IniHelp =
    "INI configuration files: [Section] headers and key=value lines, UTF-16 (FF FE or FE FF)\n"
    "or text in the ANSI code page. Sections and keys match without regard to letter case.\n"
    "\n"
    "  get FILE SECTION KEY        print the value (status 1 when there is none)\n"
    "  set FILE SECTION KEY VALUE  set the value and write the file back as the library\n"
    "                              writes it: UTF-16LE with FF FE, CR LF line ends (the file is\n"
    "                              created when missing, replaced whole otherwise)\n"
    "  dump FILE                   every section and value, in file order (--json)\n";

std::string Text(const tvWChar* Wide)
{
    std::size_t Length = 0;
    while (Wide && Wide[Length])
        ++Length;
    return ToUtf8(Wide, Length);
}

// Loads File; false (message printed) when it cannot be read. With MayBeNew a missing file, or
// one too short to hold anything, is an empty configuration.
bool Load(FConfigFile& Config, const std::string& File, bool MayBeNew)
{
    std::error_code Code;
    const fs::path Path = fs::u8path(File);
    const bool Exists = fs::exists(Path, Code);
    if (MayBeNew && (!Exists || (fs::is_regular_file(Path, Code) && fs::file_size(Path, Code) <= 2)))
        return true;
    if (!Exists)
        return Fail(File, "no such file"), false;
    if (fs::is_directory(Path, Code))
        return Fail(File, "is a folder"), false;
    if (!Config.Load(ToWide(File).c_str()))
        return Fail(File, "cannot be read (unreadable, too large, or 2 bytes or fewer)"), false;
    return true;
}

int Get(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 3)
        return UsageError("ini get needs FILE, SECTION and KEY", IniUsage);
    const std::string& File = Line.Positionals[0];
    FConfigFile Config;
    if (!Load(Config, File, false))
        return ExitFailure;
    FString Value;
    if (!Config.FindSection(ToWide(Line.Positionals[1]).c_str()))
        return Fail(File, "no section [" + Line.Positionals[1] + "]");
    if (!Config.GetString(ToWide(Line.Positionals[1]).c_str(), ToWide(Line.Positionals[2]).c_str(), Value))
        return Fail(File, "no key " + Line.Positionals[2] + " in section [" + Line.Positionals[1] + "]");
    std::printf("%s\n", Text(Value).c_str());
    return ExitOk;
}

int Set(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 4)
        return UsageError("ini set needs FILE, SECTION, KEY and VALUE", IniUsage);
    const std::string& File = Line.Positionals[0];
    for (std::size_t Index = 1; Index < 4; ++Index)
        if (Line.Positionals[Index].find_first_of("\r\n") != std::string::npos)
            return UsageError("sections, keys and values are one line each", IniUsage);
    if (Line.Positionals[1].find(']') != std::string::npos || Line.Positionals[2].find('=') != std::string::npos ||
        Line.Positionals[1].empty() || Line.Positionals[2].empty())
        return UsageError("a section has no ']', a key no '=', and neither is empty", IniUsage);
    FConfigFile Config;
    if (!Load(Config, File, true))
        return ExitFailure;
    Config.SetString(ToWide(Line.Positionals[1]).c_str(), ToWide(Line.Positionals[2]).c_str(),
                     FString(ToWide(Line.Positionals[3]).c_str()));
    if (!Config.SaveAs(ToWide(File).c_str()))
        return Fail(File, "cannot be written (the file was left as it was)");
    return ExitOk;
}

int Dump(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 1)
        return UsageError("ini dump needs FILE", IniUsage);
    const std::string& File = Line.Positionals[0];
    FConfigFile Config;
    if (!Load(Config, File, false))
        return ExitFailure;
    FNameHash& Names = Config.GetNames();
    const TNamedPtrArray<FConfigSection>& Sections = Config.GetSections();
    if (GSettings.Json)
        std::printf("{\"file\": %s, \"sections\": [", JsonString(File).c_str());
    for (int Index = 0; Index < Sections.GetCount(); ++Index) {
        const std::string Section = Text(Names.GetName(Sections.NameAt(Index)));
        const TNamedPtrArray<FConfigVar>& Values = Sections.ElementAt(Index)->GetValues();
        if (GSettings.Json)
            std::printf("%s\n  {\"name\": %s, \"values\": [", Index ? "," : "", JsonString(Section).c_str());
        else
            std::printf("%s[%s]\n", Index ? "\n" : "", Section.c_str());
        for (int At = 0; At < Values.GetCount(); ++At) {
            const std::string Key = Text(Names.GetName(Values.NameAt(At)));
            const std::string Value = Text(Values.ElementAt(At)->GetString());
            if (GSettings.Json)
                std::printf("%s{\"key\": %s, \"value\": %s}", At ? ", " : "", JsonString(Key).c_str(),
                            JsonString(Value).c_str());
            else
                std::printf("%s=%s\n", Key.c_str(), Value.c_str());
        }
        if (GSettings.Json)
            std::printf("]}");
    }
    if (GSettings.Json)
        std::printf("\n]}\n");
    return ExitOk;
}

const FSubcommand IniCommands[] = {
    {"get", Get, {nullptr, nullptr}},
    {"set", Set, {nullptr, nullptr}},
    {"dump", Dump, {nullptr, nullptr}},
    {nullptr, nullptr, {nullptr, nullptr}},
};

} // namespace

const FCommandGroup IniGroup = {"ini", "read and change INI configuration files", IniUsage, IniHelp, IniCommands};

} // namespace tvtool
