// tvtool text: text files converted between the encodings the library reads and writes.
#include "ToolCommon.h"
#include "Commands.h"

namespace tvtool {

using namespace Tolvane;

namespace {

const char* const TextUsage = "tvtool text convert IN OUT --to utf16|ansi|utf8 [--from auto|utf8] [--force]";

const char* const TextHelp =
    "Text files as the library reads them: FF FE starts UTF-16LE, FE FF UTF-16BE, anything\n"
    "else is text in the ANSI code page (read up to its first 0 character).\n"
    "\n"
    "  convert IN OUT --to utf16   FF FE and UTF-16LE, as the library writes UTF-16 text\n"
    "                 --to ansi    the ANSI code page (--codepage N; 1252 by default); a\n"
    "                              character the code page cannot hold is an error\n"
    "                 --to utf8    UTF-8 without a byte order mark\n"
    "  --from utf8    read IN as UTF-8 (a file starting with EF BB BF is always UTF-8)\n"
    "  --force        replace an existing OUT (IN and OUT may then be the same file)\n";

// IN as wide text; false (message printed) when it cannot be read.
bool ReadText(const std::string& In, bool Utf8, WideString& Text)
{
    std::vector<unsigned char> Bytes;
    std::string Error;
    if (!ReadWholeFile(In, Bytes, Error))
        return Fail(In, Error), false;
    const bool Utf8Mark = Bytes.size() >= 3 && Bytes[0] == 0xEF && Bytes[1] == 0xBB && Bytes[2] == 0xBF;
    if (Utf8 || Utf8Mark) {
        const std::size_t Skip = Utf8Mark ? 3 : 0;
        Text = ToWide(std::string(Bytes.begin() + static_cast<std::ptrdiff_t>(Skip), Bytes.end()));
        return true;
    }
    const bool Marked = Bytes.size() >= 2 && ((Bytes[0] == 0xFF && Bytes[1] == 0xFE) || (Bytes[0] == 0xFE && Bytes[1] == 0xFF));
    if (Bytes.size() <= 2) {
        // The library reads nothing from files this short; their text is still theirs.
        Text = Marked ? WideString() : FromAnsi(std::string(Bytes.begin(), Bytes.end()).c_str());
        return true;
    }
    FString Loaded;
    if (!appLoadFileToString(Loaded, ToWide(In).c_str()))
        return Fail(In, "cannot be read"), false;
    Text.assign(static_cast<const tvWChar*>(Loaded), static_cast<std::size_t>(Loaded.GetLength()));
    if (Text.find(static_cast<tvWChar>(0)) != WideString::npos)
        Text.resize(Text.find(static_cast<tvWChar>(0)));
    Verbose(In + ": " + (Marked ? (Bytes[0] == 0xFF ? "UTF-16LE" : "UTF-16BE") : "ANSI code page " + std::to_string(appGetAnsiCodePage())));
    return true;
}

int Convert(const FCommandLine& Line)
{
    if (Line.Positionals.size() != 2)
        return UsageError("text convert needs IN and OUT", TextUsage);
    const std::string To = Line.Value("to", "");
    const std::string From = Line.Value("from", "auto");
    if (To != "utf16" && To != "ansi" && To != "utf8")
        return UsageError("--to is utf16, ansi or utf8", TextUsage);
    if (From != "auto" && From != "utf8")
        return UsageError("--from is auto or utf8", TextUsage);
    const std::string& In = Line.Positionals[0];
    const std::string& Out = Line.Positionals[1];
    if (!PathExists(In))
        return Fail(In, "no such file");
    if (PathExists(Out) && !GSettings.Force)
        return Fail(Out, "exists (use --force to overwrite)");
    WideString Text;
    if (!ReadText(In, From == "utf8", Text))
        return ExitFailure;
    std::string Bytes;
    if (To == "utf16") {
        Bytes = "\xFF\xFE";
        for (const tvWChar Unit : Text) {
            Bytes.push_back(static_cast<char>(Unit & 0xFF));
            Bytes.push_back(static_cast<char>((Unit >> 8) & 0xFF));
        }
    } else if (To == "utf8") {
        Bytes = ToUtf8(Text);
    } else if (!Text.empty() && !ToAnsi(Text, Bytes)) {
        return Fail(In, "holds characters the ANSI code page " + std::to_string(appGetAnsiCodePage()) +
                            " cannot hold (see --codepage)");
    }
    std::string Error;
    if (!WriteOutputFile(Out, Bytes.data(), Bytes.size(), GSettings.Force, Error))
        return Fail(Out, Error);
    return ExitOk;
}

const char* const ConvertValued[] = {"to", "from", nullptr};

const FSubcommand TextCommands[] = {
    {"convert", Convert, {nullptr, ConvertValued}},
    {nullptr, nullptr, {nullptr, nullptr}},
};

} // namespace

const FCommandGroup TextGroup = {"text", "convert text files between UTF-16, the ANSI code page and UTF-8", TextUsage,
                                 TextHelp, TextCommands};

} // namespace tvtool
