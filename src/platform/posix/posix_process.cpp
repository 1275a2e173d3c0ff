#include "platform/process.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tintora {

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    // Only the write: the event loop does the closing.
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

std::optional<ClosedStandardStreams> reserveStandardDescriptors()
{
    ClosedStandardStreams closed;
    bool* const wasClosed[] = {&closed.input, &closed.output, &closed.errors};
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // Every lower number is open by now, so the null device gets this one.
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDWR : O_WRONLY);
        if (opened == fd) {
            *wasClosed[fd] = true;
            continue;
        }
        if (opened >= 0) ::close(opened);
        return std::nullopt;
    }
    return closed;
}

// A POSIX process has its standard streams from whoever started it.
void connectStandardStreams() {}

// SIGINT, SIGTERM and SIGHUP reach the event loop through a self-pipe.
void onEndRequest(std::function<void()> close)
{
    if (g_signalPipe[0] >= 0 || ::pipe(g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [close = std::move(close)] {
        char buffer[16];
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], buffer, sizeof buffer);
        close();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
    // A write to a connection whose other end has gone (the display server,
    // a closed trace pipe) fails with an error instead of ending the process
    // unannounced.
    std::signal(SIGPIPE, SIG_IGN);
}

std::string executablePath()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

} // namespace tintora
