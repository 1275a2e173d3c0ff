#include "platform/x11/x11_pointer_watchdog.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_helper_process.h"
#include "platform/x11/x11_pointer_speed.h"
#include "platform/x11/x11_pointer_state.h"


namespace tintora::x11 {

namespace {

using Clock = std::chrono::steady_clock;

// How long a normal end waits for the watchdog to go (it goes at once).
constexpr auto WatchdogEndTimeout = std::chrono::milliseconds(1000);

// Waits until the program's end of the pipe closes; false when the display
// connection broke first (nothing can be given back then).
bool waitForProgramEnd(Display* display)
{
    const int server = ConnectionNumber(display);
    for (;;) {
        pollfd p[2] = {{WatchdogChannel, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (p[0].revents) {
            char buffer[64];
            const ssize_t n = ::read(WatchdogChannel, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) return true;
        }
        if (p[1].revents) {
            // Nothing is asked for, but the server may still send something;
            // reading it also notices a connection that has gone.
            while (XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
            }
        }
    }
}

} // namespace

PointerWatchdog::~PointerWatchdog()
{
    if (m_channel >= 0) ::close(m_channel);
    if (m_pid <= 0) return;
    const auto deadline = Clock::now() + WatchdogEndTimeout;
    for (;;) {
        const pid_t done = ::waitpid(m_pid, nullptr, WNOHANG);
        if (done == m_pid || (done < 0 && errno != EINTR)) return;
        if (Clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // It has nothing left to do; one that hangs is not left behind.
    ::kill(m_pid, SIGKILL);
    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

bool PointerWatchdog::start(const std::string& displayName, std::string& error)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot start the pointer watchdog: ") + std::strerror(errno);
        return false;
    }
    HelperLaunch launch;
    launch.name = WatchdogName;
    launch.channel = ends[0];
    launch.channelNumber = WatchdogChannel;
    launch.roleVariable = WatchdogEnvironment;
    launch.roleValue = std::to_string(::getpid());
    launch.displayName = displayName;
    pid_t pid = 0;
    const int spawned = spawnHelper(launch, pid);
    ::close(ends[0]);
    if (spawned != 0) {
        ::close(ends[1]);
        error = std::string("cannot start the pointer watchdog: ") + std::strerror(spawned);
        return false;
    }
    m_channel = ends[1];
    m_pid = pid;
    return true;
}

bool startedAsPointerWatchdog()
{
    const char* value = std::getenv(WatchdogEnvironment);
    return value && *value;
}

int runPointerWatchdog()
{
    const char* value = std::getenv(WatchdogEnvironment);
    char* end = nullptr;
    const long program = value ? std::strtol(value, &end, 10) : 0;
    struct stat channel {};
    if (program <= 0 || *end || ::fstat(WatchdogChannel, &channel) != 0 || !S_ISFIFO(channel.st_mode)) {
        std::fprintf(stderr, "tintora: %s is set by the program for its own use only.\n", WatchdogEnvironment);
        return 2;
    }
    ::unsetenv(WatchdogEnvironment);
    settleHelper("tintora-watch", WatchdogChannel);

    std::string error;
    auto connection = Connection::open(error);
    if (!connection) {
        std::fprintf(stderr, "tintora: pointer watchdog: %s\n", error.c_str());
        return 1;
    }
    if (!waitForProgramEnd(connection->display())) return 1;

    // The program is gone. A normal end has removed its state file; after
    // a crash the file says what to give back.
    const PointerStateFile file(DisplayString(connection->display()), static_cast<pid_t>(program));
    const std::string path = file.existingPath();
    if (path.empty()) return 0;
    const auto record = PointerStateFile::load(path);
    if (!record) return 0; // not a state file: not ours to touch
    PointerDevices devices(connection);
    devices.giveBack(record->settings, file.others());
    removeOwnFile(path);
    return 0;
}

} // namespace tintora::x11
