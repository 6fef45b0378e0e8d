// What the tests need from the system itself, POSIX side (the build puts this folder or the
// Windows one on the include path): the process id, a small disk that fills up, and catching
// the library's debugger break.
#pragma once

#include <atomic>
#include <csignal>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace TestPlatform {

inline unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

// A 64 KiB tmpfs mounted for one test (needs the right to mount; Ok() tells).
class FSmallDisk {
public:
    explicit FSmallDisk(const std::string& Where) : Point(Where)
    {
        Mounted = ::mount("tmpfs", Point.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~FSmallDisk()
    {
        if (Mounted)
            ::umount(Point.c_str());
    }
    FSmallDisk(const FSmallDisk&) = delete;
    FSmallDisk& operator=(const FSmallDisk&) = delete;
    bool Ok() const { return Mounted; }

private:
    std::string Point;
    bool Mounted = false;
};

// Counts the debugger breaks (SIGTRAP) the process takes while it lives, as a host that
// handles them would; the previous handling comes back afterwards.
class FBreakCatcher {
public:
    FBreakCatcher() { Saved = std::signal(SIGTRAP, &OnBreak); Count().store(0); }
    ~FBreakCatcher() { std::signal(SIGTRAP, Saved); }
    FBreakCatcher(const FBreakCatcher&) = delete;
    FBreakCatcher& operator=(const FBreakCatcher&) = delete;
    int Breaks() const { return Count().load(); }

private:
    static std::atomic<int>& Count()
    {
        static std::atomic<int> Breaks{0};
        return Breaks;
    }
    static void OnBreak(int) { Count().fetch_add(1); }
    void (*Saved)(int) = SIG_DFL;
};

} // namespace TestPlatform
