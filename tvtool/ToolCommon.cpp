// Shared pieces of tvtool: command line, messages, text conversion, paths, files, progress.
#include "ToolCommon.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace tvtool {

using namespace Tolvane;
namespace fs = std::filesystem;

FSettings GSettings;

namespace {

const char* const GlobalFlags[] = {"help", "verbose", "quiet", "json", "force", nullptr};

bool Listed(const char* const* List, const std::string& Name)
{
    for (; List && *List; ++List)
        if (Name == *List)
            return true;
    return false;
}

fs::path FsPath(const std::string& Utf8) { return fs::u8path(Utf8); }

} // namespace

bool FCommandLine::Has(const char* Flag) const
{
    for (const std::string& Name : Flags)
        if (Name == Flag)
            return true;
    return false;
}

std::string FCommandLine::Value(const char* Name, const char* Default) const
{
    for (const auto& Pair : Values)
        if (Pair.first == Name)
            return Pair.second;
    return Default;
}

bool ParseCommandLine(int Count, char** Args, const FOptionTable& Table, FCommandLine& Out, std::string& Error)
{
    bool OptionsEnded = false;
    for (int Index = 0; Index < Count; ++Index) {
        const std::string Arg = Args[Index];
        if (OptionsEnded || Arg.size() < 2 || Arg.compare(0, 2, "--") != 0) {
            if (!OptionsEnded && Arg.size() > 1 && Arg[0] == '-' && !(Arg[1] >= '0' && Arg[1] <= '9')) {
                if (Arg == "-h") {
                    Out.Flags.push_back("help");
                    continue;
                }
                if (Arg == "-v") {
                    Out.Flags.push_back("verbose");
                    continue;
                }
                if (Arg == "-q") {
                    Out.Flags.push_back("quiet");
                    continue;
                }
                if (Arg == "-f") {
                    Out.Flags.push_back("force");
                    continue;
                }
                Error = "unknown option " + Arg;
                return false;
            }
            Out.Positionals.push_back(Arg);
            continue;
        }
        if (Arg == "--") {
            OptionsEnded = true;
            continue;
        }
        std::string Name = Arg.substr(2);
        std::string Value;
        const std::size_t Equals = Name.find('=');
        const bool Inline = Equals != std::string::npos;
        if (Inline) {
            Value = Name.substr(Equals + 1);
            Name = Name.substr(0, Equals);
        }
        if (Listed(Table.Valued, Name)) {
            if (!Inline) {
                if (Index + 1 >= Count) {
                    Error = "option --" + Name + " needs a value";
                    return false;
                }
                Value = Args[++Index];
            }
            Out.Values.emplace_back(Name, Value);
        } else if (!Inline && (Listed(GlobalFlags, Name) || Listed(Table.Flags, Name))) {
            Out.Flags.push_back(Name);
        } else {
            Error = Inline ? "option --" + Name + " takes no value" : "unknown option --" + Name;
            if (!Inline || !(Listed(GlobalFlags, Name) || Listed(Table.Flags, Name)))
                Error = "unknown option --" + Name;
            return false;
        }
    }
    GSettings.Verbose = GSettings.Verbose || Out.Has("verbose");
    GSettings.Quiet = GSettings.Quiet || Out.Has("quiet");
    GSettings.Json = GSettings.Json || Out.Has("json");
    GSettings.Force = GSettings.Force || Out.Has("force");
    return true;
}

int Fail(const std::string& Subject, const std::string& Reason)
{
    std::fprintf(stderr, "tvtool: %s: %s\n", Subject.c_str(), Reason.c_str());
    return ExitFailure;
}

int UsageError(const std::string& Reason, const char* Usage)
{
    std::fprintf(stderr, "tvtool: %s\nusage: %s\nTry 'tvtool --help'.\n", Reason.c_str(), Usage);
    return ExitUsage;
}

void Verbose(const std::string& Line)
{
    if (GSettings.Verbose)
        std::fprintf(stderr, "%s\n", Line.c_str());
}

WideString ToWide(const std::string& Utf8)
{
    WideString Out;
    Out.reserve(Utf8.size());
    const unsigned char* P = reinterpret_cast<const unsigned char*>(Utf8.data());
    const unsigned char* End = P + Utf8.size();
    while (P < End) {
        std::uint32_t Code = *P;
        int More = 0;
        if (Code < 0x80)
            More = 0;
        else if ((Code & 0xE0) == 0xC0)
            More = 1, Code &= 0x1F;
        else if ((Code & 0xF0) == 0xE0)
            More = 2, Code &= 0x0F;
        else if ((Code & 0xF8) == 0xF0)
            More = 3, Code &= 0x07;
        else
            More = -1;
        ++P;
        bool Valid = More >= 0 && End - P >= More;
        for (int Index = 0; Valid && Index < More; ++Index) {
            if ((P[Index] & 0xC0) != 0x80)
                Valid = false;
            else
                Code = (Code << 6) | (P[Index] & 0x3F);
        }
        static const std::uint32_t Least[] = {0, 0x80, 0x800, 0x10000};
        if (Valid && (Code < Least[More] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)))
            Valid = false;
        if (!Valid) {
            Out.push_back(static_cast<tvWChar>(0xFFFD));
            continue;
        }
        P += More;
        if (Code >= 0x10000) {
            Code -= 0x10000;
            Out.push_back(static_cast<tvWChar>(0xD800 + (Code >> 10)));
            Out.push_back(static_cast<tvWChar>(0xDC00 + (Code & 0x3FF)));
        } else {
            Out.push_back(static_cast<tvWChar>(Code));
        }
    }
    return Out;
}

std::string ToUtf8(const tvWChar* Wide, std::size_t Length)
{
    std::string Out;
    Out.reserve(Length);
    for (std::size_t Index = 0; Index < Length; ++Index) {
        std::uint32_t Code = static_cast<std::uint32_t>(Wide[Index]) & 0xFFFF;
        if (Code >= 0xD800 && Code <= 0xDBFF && Index + 1 < Length) {
            const std::uint32_t Low = static_cast<std::uint32_t>(Wide[Index + 1]) & 0xFFFF;
            if (Low >= 0xDC00 && Low <= 0xDFFF) {
                Code = 0x10000 + ((Code - 0xD800) << 10) + (Low - 0xDC00);
                ++Index;
            }
        }
        if (Code >= 0xD800 && Code <= 0xDFFF)
            Code = 0xFFFD;
        if (Code < 0x80) {
            Out.push_back(static_cast<char>(Code));
        } else if (Code < 0x800) {
            Out.push_back(static_cast<char>(0xC0 | (Code >> 6)));
            Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
        } else if (Code < 0x10000) {
            Out.push_back(static_cast<char>(0xE0 | (Code >> 12)));
            Out.push_back(static_cast<char>(0x80 | ((Code >> 6) & 0x3F)));
            Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
        } else {
            Out.push_back(static_cast<char>(0xF0 | (Code >> 18)));
            Out.push_back(static_cast<char>(0x80 | ((Code >> 12) & 0x3F)));
            Out.push_back(static_cast<char>(0x80 | ((Code >> 6) & 0x3F)));
            Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
        }
    }
    return Out;
}

std::string ToUtf8(const WideString& Wide) { return ToUtf8(Wide.data(), Wide.size()); }

bool ToAnsi(const WideString& Wide, std::string& Ansi)
{
    Ansi.clear();
    const int Needed = appUnicodeToAnsi(nullptr, Wide.c_str(), 0);
    if (Needed <= 0)
        return false;
    std::vector<char> Buffer(static_cast<std::size_t>(Needed) + 1, 0);
    if (appUnicodeToAnsi(Buffer.data(), Wide.c_str(), Needed) != Needed)
        return false;
    Ansi = Buffer.data();
    // A character the code page cannot hold becomes its default character: the trip back
    // shows it.
    return FromAnsi(Ansi.c_str()) == Wide;
}

WideString FromAnsi(const char* Ansi)
{
    const int Needed = winGetSizeUNICODE(Ansi);
    if (Needed <= 0)
        return WideString();
    std::vector<tvWChar> Buffer(static_cast<std::size_t>(Needed) + 1, 0);
    appcharTwchar(Ansi, Buffer.data(), Needed);
    return WideString(Buffer.data());
}

std::string UnsafeNameReason(const std::string& Name)
{
    if (Name.empty())
        return "empty name";
    if (Name[0] == '/')
        return "absolute path";
    if (Name.find('\\') != std::string::npos)
        return "backslash in name";
    if (Name.find(':') != std::string::npos)
        return Name.size() > 1 && Name[1] == ':' ? "drive letter" : "colon in name";
    std::size_t Start = 0;
    while (Start <= Name.size()) {
        std::size_t End = Name.find('/', Start);
        if (End == std::string::npos)
            End = Name.size();
        const std::string Part = Name.substr(Start, End - Start);
        if (Part == "..")
            return "\"..\" in path";
        Start = End + 1;
    }
    return std::string();
}

bool PrepareOutputPath(const std::string& Target, const std::string& Name, std::string& Path, std::string& Error)
{
    fs::path Where = FsPath(Target);
    std::size_t Start = 0;
    for (;;) {
        const std::size_t Slash = Name.find('/', Start);
        if (Slash == std::string::npos)
            break;
        const std::string Part = Name.substr(Start, Slash - Start);
        Start = Slash + 1;
        if (Part.empty() || Part == ".")
            continue;
        Where /= FsPath(Part);
        std::error_code Code;
        const fs::file_status Status = fs::symlink_status(Where, Code);
        if (fs::is_symlink(Status)) {
            Error = "folder " + Where.u8string() + " is a symbolic link";
            return false;
        }
        if (fs::exists(Status)) {
            if (!fs::is_directory(Status)) {
                Error = Where.u8string() + " is not a folder";
                return false;
            }
            continue;
        }
        if (!fs::create_directory(Where, Code)) {
            Error = "cannot create folder " + Where.u8string() + ": " + Code.message();
            return false;
        }
    }
    const std::string Leaf = Name.substr(Start);
    if (!Leaf.empty() && Leaf != ".")
        Where /= FsPath(Leaf);
    Path = Where.u8string();
    std::error_code Code;
    if (fs::is_symlink(fs::symlink_status(Where, Code))) {
        Error = "is a symbolic link";
        return false;
    }
    return true;
}

std::string ErrnoText() { return std::strerror(errno); }

bool ReadWholeFile(const std::string& Path, std::vector<unsigned char>& Bytes, std::string& Error)
{
    Bytes.clear();
    std::FILE* File = std::fopen(Path.c_str(), "rb");
    if (!File) {
        Error = ErrnoText();
        return false;
    }
    bool Ok = std::fseek(File, 0, SEEK_END) == 0;
    const long Size = Ok ? std::ftell(File) : -1;
    Ok = Ok && Size >= 0 && std::fseek(File, 0, SEEK_SET) == 0;
    if (Ok) {
        Bytes.resize(static_cast<std::size_t>(Size));
        Ok = Size == 0 || std::fread(Bytes.data(), 1, Bytes.size(), File) == Bytes.size();
        // Nothing more: the file did not grow while it was read.
        Ok = Ok && std::fgetc(File) == EOF;
    }
    if (!Ok)
        Error = errno ? ErrnoText() : "cannot be read whole";
    std::fclose(File);
    return Ok;
}

bool WriteNewFile(const std::string& Path, const void* Data, std::size_t Size, std::string& Error)
{
    std::FILE* File = std::fopen(Path.c_str(), "wbx");
    if (!File) {
        Error = errno == EEXIST ? "exists (use --force to overwrite)" : ErrnoText();
        return false;
    }
    bool Ok = Size == 0 || std::fwrite(Data, 1, Size, File) == Size;
    Ok = (std::fclose(File) == 0) && Ok;
    if (!Ok) {
        Error = "cannot be written: " + ErrnoText();
        std::remove(Path.c_str());
    }
    return Ok;
}

bool WriteOutputFile(const std::string& Path, const void* Data, std::size_t Size, bool Replace, std::string& Error)
{
    if (!Replace || !PathExists(Path))
        return WriteNewFile(Path, Data, Size, Error);
    if (IsDirectory(Path)) {
        Error = "is a folder";
        return false;
    }
    if (Size > 0xFFFFFFFFu || !appSaveBytesToFile(Data, static_cast<tvULong>(Size), ToWide(Path).c_str())) {
        Error = "cannot be replaced";
        return false;
    }
    return true;
}

bool PathExists(const std::string& Path)
{
    std::error_code Code;
    return fs::exists(fs::symlink_status(FsPath(Path), Code));
}

bool IsDirectory(const std::string& Path)
{
    std::error_code Code;
    return fs::is_directory(FsPath(Path), Code);
}

std::string JsonString(const std::string& Text)
{
    std::string Out = "\"";
    for (const char C : Text) {
        const unsigned char U = static_cast<unsigned char>(C);
        switch (C) {
        case '"': Out += "\\\""; break;
        case '\\': Out += "\\\\"; break;
        case '\n': Out += "\\n"; break;
        case '\r': Out += "\\r"; break;
        case '\t': Out += "\\t"; break;
        default:
            if (U < 0x20) {
                char Escape[8];
                std::snprintf(Escape, sizeof(Escape), "\\u%04x", U);
                Out += Escape;
            } else {
                Out += C;
            }
        }
    }
    return Out + "\"";
}

FProgress::FProgress(const std::string& InLabel, std::uint64_t InTotal, bool PlainLines)
    : Label(InLabel), Total(InTotal), Terminal(!GSettings.Quiet && isatty(2)), Plain(!GSettings.Quiet && PlainLines)
{
}

FProgress::~FProgress() { Finish(); }

void FProgress::Set(std::uint64_t Done)
{
    if (!Terminal && !Plain)
        return;
    const int Percent = Total ? static_cast<int>(Done >= Total ? 100 : Done * 100 / Total) : -1;
    if (Terminal) {
        // Redrawn only when the shown percentage changes.
        const int Shown = Percent >= 0 ? Percent : static_cast<int>((Done >> 20) & 0x7FFFFFFF);
        if (Shown == LastShown)
            return;
        LastShown = Shown;
        constexpr int Width = 30;
        std::string Bar(Width, ' ');
        const int Filled = Percent >= 0 ? Percent * Width / 100 : 0;
        for (int Index = 0; Index < Filled; ++Index)
            Bar[static_cast<std::size_t>(Index)] = '#';
        if (Percent >= 0)
            std::fprintf(stderr, "\r%s [%s] %3d%%", Label.c_str(), Bar.c_str(), Percent);
        else
            std::fprintf(stderr, "\r%s %llu bytes", Label.c_str(), static_cast<unsigned long long>(Done));
        std::fflush(stderr);
        Drawn = true;
        return;
    }
    const int Step = Percent >= 0 ? Percent / 10 : -1;
    if (Step < 0 || Step == LastShown)
        return;
    LastShown = Step;
    std::fprintf(stderr, "%s: %d%% (%llu of %llu bytes)\n", Label.c_str(), Step * 10,
                 static_cast<unsigned long long>(Done), static_cast<unsigned long long>(Total));
}

void FProgress::Finish()
{
    if (Drawn) {
        std::fprintf(stderr, "\n");
        Drawn = false;
    }
}

FLibrary::FLibrary() : Started(appInitCore() != 0)
{
    // A tool works on the files it is given: packages are never swapped for a user copy.
    GIsEditor = 1;
}

FLibrary::~FLibrary()
{
    if (Started)
        appExitCore();
}

} // namespace tvtool
