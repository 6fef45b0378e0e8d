// The log: UTF-16LE lines "Category: message" CR LF in a file from the active file manager,
// passed on to a chain of hooks the host attaches; plus the debugger/standard-output traces.
#pragma once

#include "tvCore/core/tvBase.h"

#include <cstdarg>
#include <type_traits>

namespace Tolvane {

class FFileWriter;

// A receiver of every log line. The library never deletes a hook; it must outlive the log.
// The destructor is protected and not virtual: hooks are owned and destroyed by the host.
class TVCORE_API FLogHook : public FFundament {
public:
    FLogHook* Next;  // the next hook of the chain; not set by the constructor

    FLogHook() {}
    FLogHook(const FLogHook&) = default;
    FLogHook& operator=(const FLogHook&) = default;

    // Category and Format may be null. Args is this hook's own copy of the argument list.
    virtual void Log(const tvWChar* Category, const tvWChar* Format, va_list Args) = 0;

protected:
    ~FLogHook() = default;
};

class TVCORE_API FLog : public FInterface {
public:
    FFileWriter* Writer = nullptr;  // owned; null when the log has no file
    FLogHook* Hooks = nullptr;      // not owned; the most recently attached first

    FLog() = default;
    FLog(const FLog& Other);             // shares the writer: only one copy may close it
    FLog& operator=(const FLog& Other);
    ~FLog() override;

    int Open(const tvWChar* FileName);   // nonzero when the file manager gave a writer
    void Close();
    void Flush();
    void Hook(FLogHook* NewHook);

    void Log(const tvWChar* Category, const tvWChar* Format, ...);
    void Log(const tvWChar* Category, const tvWChar* Format, va_list Args);

    // One integer or null argument is a value for the format, not an argument list: without
    // this, 0 or nullptr would convert to va_list and pick the list form.
    template <class T, typename std::enable_if<std::is_integral<T>::value || std::is_null_pointer<T>::value, int>::type = 0>
    void Log(const tvWChar* Category, const tvWChar* Format, T Value)
    {
        void (FLog::*Variadic)(const tvWChar*, const tvWChar*, ...) = &FLog::Log;
        (this->*Variadic)(Category, Format, Value);
    }
};

// The units of the shared formatting buffer, terminator included: longer lines are cut.
constexpr int GLogBufferUnits = 2048;
// The units of each trace buffer, terminator included.
constexpr int GTraceBufferUnits = 1024;

TVCORE_API void appLog(const tvWChar* Format, ...);
TVCORE_API void appWarning(const tvWChar* Format, ...);
TVCORE_API void appError(const tvWChar* Format, ...);   // logs, then breaks into the debugger
TVCORE_API void appMsg(const tvWChar* Format, ...);     // a message box captioned "Message"
TVCORE_API void appTraceA(const char* Format, ...) TVCORE_PRINTF_FORMAT(1, 2);  // narrow format, the C library's rules
TVCORE_API void appTraceW(const tvWChar* Format, ...);

} // namespace Tolvane
