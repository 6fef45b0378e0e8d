// A Windows command line split into the argument vector that POSIX programs take.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "base/tvCompiler.h"

namespace Tolvane {
namespace Platform {

// Splits CommandLine as the Windows runtime splits a program's command line, and converts each
// argument to UTF-8. The rules:
// - Arguments are separated by spaces and tabs; blanks before the first one are skipped.
// - The first argument is the program's name: double quotes in it only group (they are
//   removed) and backslashes are ordinary characters, as paths need.
// - In every later argument, double quotes group text with blanks into one argument ("" is an
//   empty argument) and may appear in the middle of an argument (a"b c"d is ab cd).
// - Backslashes are literal unless they come right before a double quote: then 2n backslashes
//   give n backslashes and the quote groups, 2n+1 give n backslashes and a literal quote.
// - Inside a quoted part, "" gives one literal quote and the part continues.
class TVCORE_INTERNAL FCommandLineArguments {
public:
    explicit FCommandLineArguments(const tvWChar* CommandLine);
    ~FCommandLineArguments();
    FCommandLineArguments(const FCommandLineArguments&) = delete;
    FCommandLineArguments& operator=(const FCommandLineArguments&) = delete;

    bool Ok() const { return Vector != nullptr; }
    int Count() const { return Arguments; }
    // Count() arguments followed by a null pointer; the strings may be changed in place.
    char** Argv() const { return Vector; }

private:
    void* Block = nullptr;
    char** Vector = nullptr;
    int Arguments = 0;
};

} // namespace Platform
} // namespace Tolvane
