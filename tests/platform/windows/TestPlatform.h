// What the tests need from the system itself, Windows side (see the POSIX one): the process
// id, a small disk (none here: the tests that need one are skipped), and catching the library's
// debugger break with a vectored exception handler that steps over the breakpoint.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#  define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#  define NOMINMAX
#endif
#include <windows.h>
#undef CreateDirectory

#include <atomic>
#include <string>

namespace TestPlatform {

inline unsigned long ProcessId() { return static_cast<unsigned long>(GetCurrentProcessId()); }

// No volume of a chosen small size can be made without rights a test does not have.
class FSmallDisk {
public:
    explicit FSmallDisk(const std::string&) {}
    bool Ok() const { return false; }
};

class FBreakCatcher {
public:
    FBreakCatcher() : Handler(AddVectoredExceptionHandler(1, &OnException)) { Count().store(0); }
    ~FBreakCatcher() { RemoveVectoredExceptionHandler(Handler); }
    FBreakCatcher(const FBreakCatcher&) = delete;
    FBreakCatcher& operator=(const FBreakCatcher&) = delete;
    int Breaks() const { return Count().load(); }

private:
    static std::atomic<int>& Count()
    {
        static std::atomic<int> Breaks{0};
        return Breaks;
    }
    static LONG CALLBACK OnException(EXCEPTION_POINTERS* Info)
    {
        if (Info->ExceptionRecord->ExceptionCode != EXCEPTION_BREAKPOINT)
            return EXCEPTION_CONTINUE_SEARCH;
        Count().fetch_add(1);
        // The context points at the one-byte breakpoint instruction: continue after it.
#if defined(__x86_64__)
        Info->ContextRecord->Rip += 1;
#else
        Info->ContextRecord->Eip += 1;
#endif
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    PVOID Handler;
};

} // namespace TestPlatform
