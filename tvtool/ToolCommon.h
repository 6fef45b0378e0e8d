// What every tvtool subcommand shares: the parsed command line, messages and exit statuses,
// text between the command line's UTF-8 and the library's wide text, safe paths for
// extraction, whole files on disk, JSON strings and the progress bar.
#pragma once

#include <tvCore/tvCore.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tvtool {

using WideString = std::basic_string<Tolvane::tvWChar>;

// Exit statuses.
constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// One subcommand's command line after the options were taken out.
struct FCommandLine {
    std::vector<std::string> Positionals;
    std::vector<std::pair<std::string, std::string>> Values;  // --name value / --name=value
    std::vector<std::string> Flags;                           // --name
    bool Has(const char* Flag) const;
    // The value of --Name, or Default when it was not given.
    std::string Value(const char* Name, const char* Default) const;
};

// What a subcommand accepts: flags without a value and options with one. Both lists end with
// a null. The global flags (--help, --verbose, --quiet, --json, --force) are always accepted.
struct FOptionTable {
    const char* const* Flags;
    const char* const* Valued;
};

// Splits Args (after the subcommand's words) by Table. False, with Error set, on an unknown
// option or a missing value. "--" ends the options.
bool ParseCommandLine(int Count, char** Args, const FOptionTable& Table, FCommandLine& Out, std::string& Error);

// Settings every subcommand reads.
struct FSettings {
    bool Verbose = false;
    bool Quiet = false;
    bool Json = false;
    bool Force = false;
};
extern FSettings GSettings;

// "tvtool: <Subject>: <Reason>" on standard error; ExitFailure.
int Fail(const std::string& Subject, const std::string& Reason);
// "tvtool: <Reason>" and the usage line on standard error; ExitUsage.
int UsageError(const std::string& Reason, const char* Usage);
// A line on standard error only with --verbose.
void Verbose(const std::string& Line);

// UTF-8 (the command line's and the file system's text on this system) and the library's wide
// text. Invalid UTF-8 becomes U+FFFD.
WideString ToWide(const std::string& Utf8);
std::string ToUtf8(const Tolvane::tvWChar* Wide, std::size_t Length);
std::string ToUtf8(const WideString& Wide);
// Narrow text in the library's ANSI code page and wide text. ToAnsi is false when the text
// does not survive the trip there and back (a character the code page cannot hold).
bool ToAnsi(const WideString& Wide, std::string& Ansi);
WideString FromAnsi(const char* Ansi);

// Why a member or item name would write outside the target folder, or empty when it is safe:
// absolute paths, drive letters, backslashes, "..", empty names and colons are refused.
std::string UnsafeNameReason(const std::string& Name);
// Target/Name with every folder on the way created. False, with Error set, when a folder on
// the way is a symbolic link or not a folder, or cannot be created.
bool PrepareOutputPath(const std::string& Target, const std::string& Name, std::string& Path, std::string& Error);

// Whole files (paths in UTF-8). ReadWholeFile fails on anything but a complete read.
bool ReadWholeFile(const std::string& Path, std::vector<unsigned char>& Bytes, std::string& Error);
// Writes a file that must not exist yet (created exclusively); a failed write removes it.
bool WriteNewFile(const std::string& Path, const void* Data, std::size_t Size, std::string& Error);
// Writes the file whole: a new one, or (with Replace) in place of an existing one, through the
// library's replacing save (never a half-written file in its place).
bool WriteOutputFile(const std::string& Path, const void* Data, std::size_t Size, bool Replace, std::string& Error);
bool PathExists(const std::string& Path);
bool IsDirectory(const std::string& Path);
std::string ErrnoText();

// A JSON string literal for Text (UTF-8 in, escaped out).
std::string JsonString(const std::string& Text);

// A progress bar on standard error: drawn in place on a terminal; on anything else nothing,
// or with PlainLines a line at every tenth. Silenced by --quiet.
class FProgress {
public:
    FProgress(const std::string& Label, std::uint64_t Total, bool PlainLines);
    ~FProgress();
    void Set(std::uint64_t Done);
    void SetTotal(std::uint64_t NewTotal) { Total = NewTotal; }
    void Finish();

private:
    std::string Label;
    std::uint64_t Total;
    bool Terminal;
    bool Plain;
    bool Drawn = false;
    int LastShown = -1;
};

// Starts and ends the library around a subcommand.
class FLibrary {
public:
    FLibrary();
    ~FLibrary();
    bool Ok() const { return Started; }

private:
    bool Started;
};

} // namespace tvtool
