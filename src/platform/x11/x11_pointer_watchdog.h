#pragma once

// The pointer watchdog: a small process that outlives the program only to
// give the pointer devices back when the program dies without doing it (a
// crash, SIGKILL). It is this program's own binary started again, with its
// own connection to the display; it learns of the program's death from the
// end of a pipe whose writing end only the program holds, gives back what
// the program's state file records (only where a device still shows a value
// the program set) and ends. When the program ends normally it has given
// everything back itself, and the watchdog ends at once.

#include <string>

#include <sys/types.h>

namespace tintora::x11 {

// The watchdog's environment names the program's process id; the pipe's
// reading end is its file descriptor WatchdogChannel.
inline constexpr const char* WatchdogEnvironment = "TINTORA_POINTER_WATCHDOG";
inline constexpr int WatchdogChannel = 3;
// Its argv[0], which is what ps shows of it.
inline constexpr const char* WatchdogName = "tintora-pointer-watchdog";

// The program's side: starts the watchdog and, at a normal end, lets it go.
class PointerWatchdog {
public:
    PointerWatchdog() = default;
    // Closes the pipe and waits a moment for the watchdog to end.
    ~PointerWatchdog();
    PointerWatchdog(const PointerWatchdog&) = delete;
    PointerWatchdog& operator=(const PointerWatchdog&) = delete;

    // Starts the watchdog for this process on the display; on failure error
    // says why.
    bool start(const std::string& displayName, std::string& error);

private:
    int m_channel = -1;
    pid_t m_pid = 0;
};

// Whether this process was started as the watchdog.
bool startedAsPointerWatchdog();
// The watchdog's whole life; returns its exit status.
int runPointerWatchdog();

} // namespace tintora::x11
