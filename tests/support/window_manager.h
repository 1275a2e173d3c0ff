#pragma once

// A real window manager on a private X server, as users run one: openbox
// alone (a plain stacking manager), or xfwm4 with an xfce4-panel across the
// top of the screen, whose strut makes the work area smaller than the
// screen. Each runs with a home, configuration and (for Xfce) D-Bus session
// bus of its own, so nothing of the developer's desktop is read or touched,
// and every process it started is gone once the object is.
// Also what the tests read of the managed windows: EWMH and ICCCM
// properties, the stacking order, and a window of another application to
// click on. Xlib stays out of this header (its macros clash with gtest).

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>
#include <sys/types.h>

#include "core/geometry.h"
#include "support/processes.h"
#include "support/xvfb.h"

namespace tintora::test {

enum class WindowManagerKind { Openbox, Xfwm4WithPanel };

// "openbox", "xfwm4Panel": for test names.
std::string nameOf(WindowManagerKind kind);
inline void PrintTo(WindowManagerKind kind, std::ostream* os) { *os << nameOf(kind); }

class WindowManager {
public:
    static constexpr auto StartTimeout = std::chrono::milliseconds(30000);

    WindowManager(Xvfb& server, WindowManagerKind kind);
    // Stops everything it started (stop()).
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // Empty once the manager (and the panel) are up, else why not.
    const std::string& error() const { return m_error; }
    WindowManagerKind kind() const { return m_kind; }
    // The manager's own name, from its _NET_SUPPORTING_WM_CHECK window.
    const std::string& name() const { return m_name; }
    // The work area the manager publishes (_NET_WORKAREA of desktop 0).
    Rect workArea() const { return m_workArea; }

    // What a client of this desktop has in its environment beyond the
    // server's: the session bus, where there is one (none otherwise, so no
    // client reaches the developer's own).
    EnvironmentChanges clientEnvironment() const;

    // Ends every process started here (the manager, the panel, the bus and
    // what these started in turn: each runs in a process group of its own,
    // and all have this desktop's home in their environment); the pids of
    // those that outlived SIGTERM or left their group, which needed SIGKILL,
    // as "pid name".
    std::vector<std::string> stop();
    // What the manager and its helpers wrote on their standard error.
    std::string log() const;

private:
    bool start(std::string& why);
    bool startBus(std::string& why);
    bool writeConfiguration(std::string& why) const;
    ChildProcess& launch(const std::string& program, const std::vector<std::string>& args);
    EnvironmentChanges ownEnvironment() const;

    Xvfb& m_server;
    WindowManagerKind m_kind;
    TempDir m_dir{"tintora-desktop"};
    TempFile m_log;
    std::vector<std::unique_ptr<ChildProcess>> m_processes; // in the order of their start
    std::string m_error;
    std::string m_name;
    Rect m_workArea;
};

// --- the managed windows, as EWMH and ICCCM describe them ---------------------

// The atoms' names in the window's _NET_WM_STATE.
std::vector<std::string> netWmState(Xvfb& server, unsigned long window);
bool hasNetWmState(Xvfb& server, unsigned long window, const std::string& state);
// _NET_CLIENT_LIST_STACKING of the root: managed windows, bottom first.
std::vector<unsigned long> clientStacking(Xvfb& server);
// _NET_CLIENT_LIST of the root: the windows the manager manages.
std::vector<unsigned long> clientList(Xvfb& server);
// _NET_ACTIVE_WINDOW of the root; 0 for none.
unsigned long activeWindow(Xvfb& server);
// The two strings of WM_CLASS: instance and class.
std::vector<std::string> wmClass(Xvfb& server, unsigned long window);
// _NET_WM_ICON's images as width x height, in the order given.
std::vector<std::pair<int, int>> iconSizes(Xvfb& server, unsigned long window);
// _NET_FRAME_EXTENTS: left, right, top, bottom; nothing when not set.
std::optional<std::array<long, 4>> frameExtents(Xvfb& server, unsigned long window);
// WM_STATE's state: 1 normal, 3 iconic; nothing when the window has none
// (withdrawn, or not managed yet).
std::optional<long> wmState(Xvfb& server, unsigned long window);
// The window's place and size on the root, its frame left out.
std::optional<Rect> clientRect(Xvfb& server, unsigned long window);

// Asks the manager to iconify the window as a task bar's or title bar's
// button does (WM_CHANGE_STATE, ICCCM 4.1.4).
bool iconify(Xvfb& server, unsigned long window);
// Asks the manager to activate the window as a task bar or pager does
// (_NET_ACTIVE_WINDOW with source 2).
bool activate(Xvfb& server, unsigned long window);

// Another application's ordinary window: managed, framed, one colour,
// taking the keyboard focus when clicked. Destroyed with this object.
class OtherApplicationWindow {
public:
    OtherApplicationWindow(Xvfb& server, Rect rect, Colour colour, const std::string& title);
    ~OtherApplicationWindow();
    OtherApplicationWindow(const OtherApplicationWindow&) = delete;
    OtherApplicationWindow& operator=(const OtherApplicationWindow&) = delete;

    unsigned long id() const { return m_window; }
    // Whether the manager took it in (it is in _NET_CLIENT_LIST and mapped)
    // in time.
    bool managed() const { return m_managed; }

private:
    Xvfb& m_server;
    unsigned long m_window = 0;
    bool m_managed = false;
};

} // namespace tintora::test
