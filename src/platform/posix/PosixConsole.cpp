// Console control events on POSIX: SIGINT (Ctrl+C) and SIGQUIT (Ctrl+\, the terminal's
// break) are caught so that they do not end the process. The signal handler only writes one
// byte into a pipe; a thread of the library's reads it and calls the handler, so the handler
// may log, lock and allocate. Signals that end a process for other reasons (SIGTERM, SIGHUP: a
// shutdown, a closed terminal) keep their default action, as a closed console or a shutdown ends
// a process whatever its handler returns.
#include "base/tvPrelude.h"
#include "platform/tvPlatformConsole.h"
#include "platform/tvPlatformThread.h"
#include "platform/tvPlatformError.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace Tolvane {
namespace Platform {

namespace {

std::atomic<FConsoleControlHandler> GHandler{nullptr};
int GPipe[2] = {-1, -1};

void OnSignal(int)
{
    const int Saved = errno;
    const char Event = 1;
    // Async-signal-safe; a full pipe only means events are already waiting to be handled.
    [[maybe_unused]] const ssize_t Ignored = write(GPipe[1], &Event, 1);
    errno = Saved;
}

tvULong DeliverEvents(void*)
{
    for (;;) {
        char Events[64];
        const ssize_t Got = read(GPipe[0], Events, sizeof(Events));
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got <= 0)
            return 0;
        for (ssize_t i = 0; i < Got; ++i)
            if (FConsoleControlHandler Handler = GHandler.load())
                Handler();
    }
}

bool StartOnce()
{
    if (pipe2(GPipe, O_CLOEXEC) != 0) {
        RecordSystemError();
        return false;
    }
    fcntl(GPipe[1], F_SETFL, O_NONBLOCK);
    if (!ThreadCreate(&DeliverEvents, nullptr, false))
        return false;
    struct sigaction Action {};
    Action.sa_handler = &OnSignal;
    sigemptyset(&Action.sa_mask);
    Action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &Action, nullptr) == 0 && sigaction(SIGQUIT, &Action, nullptr) == 0;
}

} // namespace

bool ConsoleControlInstall(FConsoleControlHandler Handler)
{
    static const bool Started = StartOnce();
    GHandler.store(Handler);
    return Started;
}

} // namespace Platform
} // namespace Tolvane
