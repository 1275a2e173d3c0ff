// Qt first: Xlib's macros (None, Bool, Status...) would break its headers.
#include <QClipboard>
#include <QGuiApplication>

#include "platform/x11/x11_clipboard.h"
#include "platform/x11/x11_helper_process.h"

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>


namespace tintora::x11 {

namespace {

using Clock = std::chrono::steady_clock;

// How long the program waits at its end for the keeper to own the selection.
constexpr auto KeeperStartTimeout = std::chrono::seconds(2);

QGuiApplication* guiApplication() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()); }

// Whether window was created on Qt's connection to the X server. Every
// resource a client creates carries the id base the server gave that client.
bool isQtWindow(Window window)
{
    QGuiApplication* app = guiApplication();
    if (!app || window == None) return false;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return false;
    const xcb_setup_t* setup = xcb_get_setup(x11->connection());
    if (!setup) return false;
    return (window & ~static_cast<Window>(setup->resource_id_mask)) == setup->resource_id_base;
}

std::string describeErrno(const char* what, int error) { return std::string(what) + ": " + std::strerror(error); }

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

int millisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for events on fd until the deadline; false when it passed first.
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, millisecondsLeft(deadline));
        if (r > 0) return true;
        if (r == 0 || errno != EINTR) return false;
    }
}

bool sendAll(int fd, const std::string& data, Clock::time_point deadline, std::string& error)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitFor(fd, POLLOUT, deadline)) {
                error = "the clipboard keeper did not take the text in time";
                return false;
            }
        } else if (n < 0 && errno != EINTR) {
            error = describeErrno("cannot hand the text to the clipboard keeper", errno);
            return false;
        }
    }
    return true;
}

// The keeper's one-byte answer; nothing when it ended or kept silent.
std::optional<char> receiveAnswer(int fd, Clock::time_point deadline)
{
    for (;;) {
        if (!waitFor(fd, POLLIN, deadline)) return std::nullopt;
        char answer = 0;
        const ssize_t n = ::recv(fd, &answer, 1, MSG_DONTWAIT);
        if (n == 1) return answer;
        if (n == 0 || (errno != EINTR && errno != EAGAIN)) return std::nullopt;
    }
}

// Starts the keeper (this binary again, through posix_spawn: a fork of a
// process with Qt's threads could deadlock before it gets to exec) and waits
// until it owns the selection. The keeper is a session of its own, so it
// outlives this process and its terminal.
bool startKeeper(const std::string& displayName, Window qtOwner, const std::string& text, std::string& error)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        error = describeErrno("socketpair", errno);
        return false;
    }
    FileDescriptor ours(ends[0]), theirs(ends[1]);
    HelperLaunch launch;
    launch.name = KeeperName;
    launch.channel = theirs.get();
    launch.channelNumber = KeeperChannel;
    launch.roleVariable = KeeperEnvironment;
    launch.roleValue = "1";
    launch.displayName = displayName; // the server this program talks to
    launch.silent = true;
    pid_t pid = 0;
    const int spawned = spawnHelper(launch, pid);
    theirs.reset();
    if (spawned != 0) {
        error = describeErrno("cannot start the clipboard keeper", spawned);
        return false;
    }

    const auto deadline = Clock::now() + KeeperStartTimeout;
    const std::string message = std::to_string(qtOwner) + "\n" + text;
    bool tookOver = false;
    if (sendAll(ours.get(), message, deadline, error)) {
        ::shutdown(ours.get(), SHUT_WR);
        const std::optional<char> answer = receiveAnswer(ours.get(), deadline);
        tookOver = answer == KeeperTookOver;
        if (!tookOver)
            error = answer ? "the clipboard keeper could not take the clipboard"
                           : "the clipboard keeper did not answer in time";
    }
    if (!tookOver) {
        // It ended or is about to; one that is late must not take the
        // clipboard from whoever owns it by then.
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    return tookOver;
}

} // namespace

X11Clipboard::X11Clipboard(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) {}

std::string X11Clipboard::setText(const std::string& text)
{
    m_text.reset();
    QGuiApplication* app = guiApplication();
    if (!app) return "No connection to the window system.";
    if (app->platformName() != QLatin1String("xcb")) return "The window system is not X11.";

    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    clipboard->setText(qtext, QClipboard::Clipboard);

    // Qt keeps the text even when the server did not give it the selection
    // (another client set it with a later time), so ask the server.
    const Window owner = XGetSelectionOwner(m_connection->display(), m_connection->atom("CLIPBOARD"));
    if (!clipboard->ownsClipboard() || !isQtWindow(owner))
        return "Another program holds the clipboard.";
    if (clipboard->text(QClipboard::Clipboard) != qtext) return "The clipboard did not take the text.";
    m_text = text;
    m_qtOwner = owner;
    return {};
}

void X11Clipboard::keepAfterExit()
{
    if (m_keepAsked || !m_text) return;
    m_keepAsked = true;
    QGuiApplication* app = guiApplication();
    if (!app) return;
    Display* d = m_connection->display();
    // The server is asked: Qt learns of a copy by another program only when
    // its event loop gets to the notice.
    const Window owner = XGetSelectionOwner(d, m_connection->atom("CLIPBOARD"));
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (owner != m_qtOwner || !clipboard->ownsClipboard()) return;
    if (clipboard->text(QClipboard::Clipboard) != QString::fromUtf8(m_text->data(), static_cast<qsizetype>(m_text->size())))
        return;
    // A clipboard manager gets the text from Qt itself, when the application
    // object goes (QXcbClipboard's destructor asks it to SAVE_TARGETS).
    if (XGetSelectionOwner(d, m_connection->atom("CLIPBOARD_MANAGER")) != None) return;

    std::string error;
    if (!startKeeper(DisplayString(d), owner, *m_text, error))
        std::cerr << "tintora: the copied text goes with the program: " << error << '\n';
}

bool startedAsClipboardKeeper()
{
    const char* value = std::getenv(KeeperEnvironment);
    return value && std::strcmp(value, "1") == 0;
}

} // namespace tintora::x11
