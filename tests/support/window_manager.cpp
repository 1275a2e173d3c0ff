#include "support/window_manager.h"
#include "support/xlib_helpers.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tintora::test {

namespace {

namespace fs = std::filesystem;

// One panel across the top of the screen, 30 pixels high, with nothing but
// a task list on it: the strut is what matters, and the list shows which
// windows a task bar takes in. Written before the panel starts, so that it
// does not ask on its first start which layout to use.
constexpr const char* PanelChannel = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="tasklist"/>
  </property>
</channel>
)";

// xfwm4 as installed, but for the compositor (Xvfb has no GL, and
// compositing only slows the tests down) and one workspace.
constexpr const char* XfwmChannel = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfwm4" version="1.0">
  <property name="general" type="empty">
    <property name="use_compositing" type="bool" value="false"/>
    <property name="workspace_count" type="int" value="1"/>
  </property>
</channel>
)";

// A session bus that can start xfconfd (the Xfce settings daemon) and
// nothing else: no accessibility bus, portal or settings service of the
// developer's desktop is ever started for a test.
std::string busConfiguration(const std::string& socket, const std::string& services)
{
    return R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=)" + socket + R"(</listen>
  <servicedir>)" + services + R"(</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";
}

constexpr const char* XfconfService = "org.xfce.Xfconf.service";

bool writeFile(const std::string& path, const std::string& text)
{
    std::error_code e;
    fs::create_directories(fs::path(path).parent_path(), e);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

// Whether a client can connect to the Unix socket at path.
bool accepts(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return connected;
}

Atom atom(Display* d, const char* name) { return XInternAtom(d, name, False); }

// The items of a format-32 property (Xlib hands them out as longs).
std::vector<unsigned long> longs(Display* d, Window w, const char* property, Atom type,
                                 long most = 1 << 20)
{
    XErrorTrap trap(d);
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(d, w, atom(d, property), 0, most, False, type, &actual, &format, &count, &after, &data) ==
            Success &&
        data && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data) XFree(data);
    return items;
}

std::string atomName(Display* d, Atom a)
{
    char* name = XGetAtomName(d, a);
    std::string s = name ? name : "";
    if (name) XFree(name);
    return s;
}

// The window a manager names as its own on the root, when that window
// names itself too (EWMH: a stale property of a manager that has gone
// does not).
Window supportingWindow(Display* d)
{
    const auto onRoot = longs(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (onRoot.empty() || onRoot.front() == None) return None;
    const Window w = onRoot.front();
    const auto onItself = longs(d, w, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    return !onItself.empty() && onItself.front() == w ? w : None;
}

std::optional<Rect> publishedWorkArea(Display* d)
{
    const auto area = longs(d, DefaultRootWindow(d), "_NET_WORKAREA", XA_CARDINAL);
    if (area.size() < 4) return std::nullopt;
    return Rect{static_cast<int>(area[0]), static_cast<int>(area[1]), static_cast<int>(area[2]),
                static_cast<int>(area[3])};
}

bool sendToRoot(Xvfb& server, Window w, const char* message, std::array<long, 5> data)
{
    Display* d = server.display();
    if (!d) return false;
    XErrorTrap trap(d);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = atom(d, message);
    event.xclient.format = 32;
    std::copy(data.begin(), data.end(), event.xclient.data.l);
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    return !trap.failedAfterSync();
}

} // namespace

std::string nameOf(WindowManagerKind kind)
{
    return kind == WindowManagerKind::Openbox ? "openbox" : "xfwm4Panel";
}

// --- the manager ----------------------------------------------------------------

WindowManager::WindowManager(Xvfb& server, WindowManagerKind kind) : m_server(server), m_kind(kind)
{
    std::string why;
    if (!start(why)) {
        m_error = nameOf(kind) + " did not start: " + why + "\nlog:\n" + log();
        stop();
    }
}

WindowManager::~WindowManager() { stop(); }

EnvironmentChanges WindowManager::ownEnvironment() const
{
    const bool bus = m_kind == WindowManagerKind::Xfwm4WithPanel;
    return {
        {"HOME", m_dir.file("home")},
        {"XDG_CONFIG_HOME", m_dir.file("config")},
        {"XDG_CACHE_HOME", m_dir.file("cache")},
        {"XDG_DATA_HOME", m_dir.file("data")},
        {"XDG_RUNTIME_DIR", m_dir.file("runtime")},
        {"XDG_CONFIG_DIRS", "/etc/xdg"},
        {"DBUS_SESSION_BUS_ADDRESS", bus ? std::optional("unix:path=" + m_dir.file("bus")) : std::nullopt},
        // No session manager to register with, no accessibility bus, no
        // settings or file-system services to start: each would be looked
        // for on the session bus and wait for a time-out there.
        {"SESSION_MANAGER", std::nullopt},
        {"NO_AT_BRIDGE", "1"},
        {"GTK_A11Y", "none"},
        {"GSETTINGS_BACKEND", "memory"},
        {"GIO_USE_VFS", "local"},
    };
}

EnvironmentChanges WindowManager::clientEnvironment() const
{
    const bool bus = m_kind == WindowManagerKind::Xfwm4WithPanel;
    return {{"DBUS_SESSION_BUS_ADDRESS", bus ? std::optional("unix:path=" + m_dir.file("bus")) : std::nullopt}};
}

ChildProcess& WindowManager::launch(const std::string& program, const std::vector<std::string>& args)
{
    m_processes.push_back(
        std::make_unique<ChildProcess>(program, args, m_server.clientEnvironment(ownEnvironment()), m_log.path()));
    return *m_processes.back();
}

bool WindowManager::writeConfiguration(std::string& why) const
{
    std::error_code e;
    for (const char* dir : {"home", "config", "cache", "data", "runtime", "services"})
        fs::create_directories(m_dir.file(dir), e);
    fs::permissions(m_dir.file("runtime"), fs::perms::owner_all, e);
    if (m_kind != WindowManagerKind::Xfwm4WithPanel) return true;

    const std::string channels = m_dir.file("config") + "/xfce4/xfconf/xfce-perchannel-xml/";
    if (!writeFile(channels + "xfce4-panel.xml", PanelChannel) || !writeFile(channels + "xfwm4.xml", XfwmChannel)) {
        why = "cannot write the Xfce configuration";
        return false;
    }
    // The settings daemon's activation file as installed, so that the bus
    // starts the daemon of this system.
    for (const std::string dir : {"/usr/share/dbus-1/services/", "/usr/local/share/dbus-1/services/"}) {
        if (fs::copy_file(dir + XfconfService, m_dir.file("services") + "/" + XfconfService, e)) {
            return writeFile(m_dir.file("bus.conf"), busConfiguration(m_dir.file("bus"), m_dir.file("services")));
        }
    }
    why = std::string("no ") + XfconfService + " is installed (xfconf)";
    return false;
}

bool WindowManager::startBus(std::string& why)
{
    ChildProcess& bus = launch("dbus-daemon", {"--config-file=" + m_dir.file("bus.conf"), "--nofork", "--nopidfile"});
    if (!bus.pid()) {
        why = bus.error();
        return false;
    }
    if (!waitUntil(StartTimeout, [&] { return !bus.running() || accepts(m_dir.file("bus")); }) || !bus.running()) {
        why = "the session bus did not start";
        return false;
    }
    return true;
}

bool WindowManager::start(std::string& why)
{
    Display* d = m_server.display();
    if (!d || m_dir.path().empty()) {
        why = d ? "cannot make a temporary directory" : "no server";
        return false;
    }
    if (!writeConfiguration(why)) return false;
    const bool xfce = m_kind == WindowManagerKind::Xfwm4WithPanel;
    if (xfce && !startBus(why)) return false;

    ChildProcess& manager = xfce ? launch("xfwm4", {"--compositor=off", "--sm-client-disable"})
                                 : launch("openbox", {"--sm-disable"});
    if (!manager.pid()) {
        why = manager.error();
        return false;
    }
    Window check = None;
    waitUntil(StartTimeout, [&] {
        check = supportingWindow(d);
        return check != None || !manager.running();
    });
    if (check == None) {
        why = manager.running() ? "no _NET_SUPPORTING_WM_CHECK in time" : "the manager ended";
        return false;
    }
    m_name = textProperty(d, check, atom(d, "_NET_WM_NAME"), atom(d, "UTF8_STRING"));

    // The manager publishes the work area once it has taken the screen in;
    // with the panel, its strut then takes the panel's height off the top.
    ChildProcess* panel = nullptr;
    if (xfce) {
        panel = &launch("xfce4-panel", {"--sm-client-disable"});
        if (!panel->pid()) {
            why = panel->error();
            return false;
        }
    }
    auto ended = [&] { return !manager.running() || (panel && !panel->running()); };
    std::optional<Rect> area;
    waitUntil(StartTimeout, [&] {
        area = publishedWorkArea(d);
        return (area && (!panel || area->y > 0)) || ended();
    });
    if (!area || (panel && area->y <= 0)) {
        why = ended() ? "the manager or the panel ended"
                      : panel ? "the panel's strut never showed in _NET_WORKAREA" : "no _NET_WORKAREA in time";
        return false;
    }
    m_workArea = *area;
    return true;
}

std::vector<std::string> WindowManager::stop()
{
    std::vector<std::string> killed;
    auto kill = [&killed](pid_t pid) {
        std::string name = readAll("/proc/" + std::to_string(pid) + "/comm");
        if (!name.empty() && name.back() == '\n') name.pop_back();
        ::kill(pid, SIGKILL);
        killed.push_back(std::to_string(pid) + " " + name);
    };
    // Last started first: the panel and the manager still find the bus
    // while they end.
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
        ChildProcess& process = **it;
        const pid_t group = process.pid();
        if (!group) continue;
        ::kill(-group, SIGTERM);
        process.waitForExit(5000ms);
        waitUntil(5000ms, [&] { return processGroupMembers(group).empty(); });
        for (const pid_t left : processGroupMembers(group)) kill(left);
        process.stop(); // reaps it, should it still run
        // Those of the group that were this process's children to reap.
        while (::waitpid(-group, nullptr, WNOHANG) > 0) {
        }
    }
    m_processes.clear();
    // Anything that left its group (a daemon of its own session) still has
    // this desktop's home in its environment.
    for (const pid_t left : processesWithEnvironment("HOME=" + m_dir.file("home"))) kill(left);
    return killed;
}

std::string WindowManager::log() const { return m_log.contents(); }

// --- the managed windows --------------------------------------------------------

std::vector<std::string> netWmState(Xvfb& server, unsigned long window)
{
    Display* d = server.display();
    std::vector<std::string> names;
    if (!d) return names;
    for (const unsigned long a : longs(d, window, "_NET_WM_STATE", XA_ATOM)) names.push_back(atomName(d, a));
    return names;
}

bool hasNetWmState(Xvfb& server, unsigned long window, const std::string& state)
{
    const auto states = netWmState(server, window);
    return std::find(states.begin(), states.end(), state) != states.end();
}

std::vector<unsigned long> clientStacking(Xvfb& server)
{
    Display* d = server.display();
    return d ? longs(d, DefaultRootWindow(d), "_NET_CLIENT_LIST_STACKING", XA_WINDOW) : std::vector<unsigned long>{};
}

std::vector<unsigned long> clientList(Xvfb& server)
{
    Display* d = server.display();
    return d ? longs(d, DefaultRootWindow(d), "_NET_CLIENT_LIST", XA_WINDOW) : std::vector<unsigned long>{};
}

unsigned long activeWindow(Xvfb& server)
{
    Display* d = server.display();
    if (!d) return 0;
    const auto active = longs(d, DefaultRootWindow(d), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active.empty() ? 0 : active.front();
}

std::vector<std::string> wmClass(Xvfb& server, unsigned long window)
{
    Display* d = server.display();
    std::vector<std::string> parts;
    if (!d) return parts;
    XErrorTrap trap(d);
    const std::string text = textProperty(d, window, XA_WM_CLASS, XA_STRING);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::vector<std::pair<int, int>> iconSizes(Xvfb& server, unsigned long window)
{
    Display* d = server.display();
    std::vector<std::pair<int, int>> sizes;
    if (!d) return sizes;
    const auto icon = longs(d, window, "_NET_WM_ICON", XA_CARDINAL, 1 << 24);
    for (std::size_t i = 0; i + 2 <= icon.size();) {
        const auto w = icon[i], h = icon[i + 1];
        if (w == 0 || h == 0 || i + 2 + w * h > icon.size()) break;
        sizes.emplace_back(static_cast<int>(w), static_cast<int>(h));
        i += 2 + w * h;
    }
    return sizes;
}

std::optional<std::array<long, 4>> frameExtents(Xvfb& server, unsigned long window)
{
    Display* d = server.display();
    if (!d) return std::nullopt;
    const auto extents = longs(d, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (extents.size() != 4) return std::nullopt;
    return std::array<long, 4>{static_cast<long>(extents[0]), static_cast<long>(extents[1]),
                               static_cast<long>(extents[2]), static_cast<long>(extents[3])};
}

std::optional<long> wmState(Xvfb& server, unsigned long window)
{
    Display* d = server.display();
    if (!d) return std::nullopt;
    const Atom type = atom(d, "WM_STATE");
    const auto state = longs(d, window, "WM_STATE", type);
    if (state.empty()) return std::nullopt;
    return static_cast<long>(state.front());
}

std::optional<Rect> clientRect(Xvfb& server, unsigned long window)
{
    Display* d = server.display();
    if (!d) return std::nullopt;
    XErrorTrap trap(d);
    XWindowAttributes a{};
    Window child = None;
    Rect r;
    if (!XGetWindowAttributes(d, window, &a) ||
        !XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &r.x, &r.y, &child) || trap.failedAfterSync())
        return std::nullopt;
    r.width = a.width;
    r.height = a.height;
    return r;
}

bool iconify(Xvfb& server, unsigned long window)
{
    return sendToRoot(server, window, "WM_CHANGE_STATE", {IconicState, 0, 0, 0, 0});
}

bool activate(Xvfb& server, unsigned long window)
{
    constexpr long SourcePager = 2;
    return sendToRoot(server, window, "_NET_ACTIVE_WINDOW", {SourcePager, CurrentTime, 0, 0, 0});
}

// --- another application's window -------------------------------------------------

OtherApplicationWindow::OtherApplicationWindow(Xvfb& server, Rect rect, Colour colour, const std::string& title)
    : m_server(server)
{
    Display* d = server.display();
    if (!d) return;
    XErrorTrap trap(d);
    const int screen = DefaultScreen(d);
    const Visual* v = DefaultVisual(d, screen);
    auto bits = [](std::uint8_t level, unsigned long mask) {
        int shift = 0;
        while (mask && !((mask >> shift) & 1ul)) ++shift;
        return mask ? ((static_cast<unsigned long>(level) * (mask >> shift) + 127) / 255) << shift : 0ul;
    };
    const unsigned long pixel = bits(colour.r, v->red_mask) | bits(colour.g, v->green_mask) | bits(colour.b, v->blue_mask);
    m_window = XCreateSimpleWindow(d, RootWindow(d, screen), rect.x, rect.y, static_cast<unsigned>(rect.width),
                                   static_cast<unsigned>(rect.height), 0, 0, pixel);
    XStoreName(d, m_window, title.c_str());
    XChangeProperty(d, m_window, atom(d, "_NET_WM_NAME"), atom(d, "UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    XClassHint classHint{const_cast<char*>("other"), const_cast<char*>("Other")};
    XSetClassHint(d, m_window, &classHint);
    // Takes the focus the manager gives it (ICCCM "passive" input).
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(d, m_window, &hints);
    // Where the test asks, not where the manager would place it.
    XSizeHints size{};
    size.flags = USPosition | USSize;
    size.x = rect.x;
    size.y = rect.y;
    size.width = rect.width;
    size.height = rect.height;
    XSetWMNormalHints(d, m_window, &size);
    XMapWindow(d, m_window);
    XSync(d, False);
    m_managed = waitUntil(WindowManager::StartTimeout, [&] {
        const auto clients = clientList(server);
        XWindowAttributes a{};
        return std::find(clients.begin(), clients.end(), m_window) != clients.end() &&
               XGetWindowAttributes(d, m_window, &a) && a.map_state == IsViewable;
    });
}

OtherApplicationWindow::~OtherApplicationWindow()
{
    Display* d = m_server.display();
    if (!d || !m_window) return;
    XErrorTrap trap(d);
    XDestroyWindow(d, m_window);
    XSync(d, False);
}

} // namespace tintora::test
