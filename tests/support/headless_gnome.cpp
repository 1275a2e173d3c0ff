#include "support/headless_gnome.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <thread>

namespace tintora::test {

namespace {

bool socketAnswers(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool reached = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) ::close(fd);
    return reached;
}

// This process's children, the servers' orphans among them once this
// process is their subreaper.
std::vector<pid_t> ownChildren()
{
    std::vector<pid_t> found;
    for (const pid_t pid : allProcesses())
        if (parentOf(pid) == ::getpid()) found.push_back(pid);
    return found;
}

bool isMountPoint(const std::string& path)
{
    std::ifstream mounts("/proc/self/mountinfo");
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        fields >> id >> parent >> device >> root >> mountPoint;
        if (mountPoint == path) return true;
    }
    return false;
}

} // namespace

HeadlessGnome::HeadlessGnome() : HeadlessGnome(Options{}) {}

HeadlessGnome::HeadlessGnome(Options options) : m_options(options)
{
    // Whatever the servers start (the portal's helpers, started by the bus)
    // becomes this process's child once its parent has gone, so that the
    // end can find and stop it.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    // On a loaded machine gnome-shell now and then stalls at its start (seen
    // blocked reading a pipe, with three sessions starting at once on two
    // cores): one more try on fresh directories, the first one's reason said.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        m_error.clear();
        m_runtime = std::make_unique<TempDir>("tintora-gnome");
        m_waylandName = "tintora-wl-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        if (start()) return;
        if (m_error.empty()) m_error = "the session did not start";
        stopEverything();
        if (attempt == 1) std::cerr << "headless GNOME, first start failed: " << m_error << "\n";
    }
}

HeadlessGnome::~HeadlessGnome()
{
    stopEverything();
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

EnvironmentChanges HeadlessGnome::clientEnvironment() const
{
    const std::string& d = m_runtime->path();
    return {{"XDG_RUNTIME_DIR", d},
            {"HOME", d + "/home"},
            {"XDG_CONFIG_HOME", configHome()},
            {"XDG_DATA_HOME", d + "/home/.local/share"},
            {"XDG_CACHE_HOME", d + "/home/.cache"},
            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + d + "/bus"},
            {"DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + d + "/system_bus"},
            {"WAYLAND_DISPLAY", m_waylandName},
            {"XDG_CURRENT_DESKTOP", "GNOME"},
            {"DISPLAY", std::nullopt},
            {"XDG_SESSION_TYPE", std::nullopt},
            // Nothing of the accessibility bus, which would outlive the session.
            {"NO_AT_BRIDGE", "1"},
            {"GTK_A11Y", "none"}};
}

EnvironmentChanges HeadlessGnome::xwaylandEnvironment() const
{
    // Mutter says which display it took, and keeps the server's key in a
    // file of the runtime directory.
    std::smatch display;
    const std::string log = readAll(m_runtime->file("gnome-shell.log"));
    if (!std::regex_search(log, display, std::regex("Using public X11 display (:[0-9]+)"))) return {};
    for (const std::string& entry : TempDir::entries(m_runtime->path()))
        if (entry.starts_with(".mutter-Xwaylandauth."))
            return {{"DISPLAY", display[1].str()}, {"XAUTHORITY", m_runtime->file(entry)}};
    return {};
}

std::string HeadlessGnome::configHome() const { return m_runtime->path() + "/home/.config"; }

bool HeadlessGnome::startServer(const std::string& name, const std::vector<std::string>& command)
{
    const std::string log = m_runtime->file(name + ".log");
    auto process = std::make_unique<ChildProcess>(command.front(),
                                                  std::vector<std::string>(command.begin() + 1, command.end()),
                                                  environmentWith(clientEnvironment()), log, log);
    if (!process->pid()) {
        m_error = name + ": " + process->error();
        return false;
    }
    m_servers.emplace_back(name, std::move(process));
    return true;
}

bool HeadlessGnome::waitFor(const std::string& what, const std::function<bool()>& condition)
{
    // The conditions run tools: a tenth of a second between tries keeps them
    // from taking the processor from the servers they wait for.
    const auto paced = [&] {
        if (condition()) return true;
        std::this_thread::sleep_for(100ms);
        return false;
    };
    if (waitUntil(m_options.startTimeout, paced)) return true;
    m_error = what + " did not come within " + std::to_string(m_options.startTimeout.count()) + " ms";
    // Where each server is: ended, or what it waits in.
    for (auto& [name, process] : m_servers)
        m_error += "; " + name + (process->running()
                                      ? " waits in " + readAll("/proc/" + std::to_string(process->pid()) + "/wchan")
                                      : std::string(" has ended"));
    for (const char* log : {"session-bus", "pipewire", "wireplumber", "gnome-shell", "portal-gnome", "portal"}) {
        const std::string text = readAll(m_runtime->file(std::string(log) + ".log"));
        if (!text.empty()) m_error += std::string("\n--- ") + log + ":\n" + text.substr(text.size() > 6000 ? text.size() - 6000 : 0);
    }
    return false;
}

bool HeadlessGnome::start()
{
    const std::string& d = m_runtime->path();
    if (d.empty()) return false;
    ::chmod(d.c_str(), 0700);
    std::filesystem::create_directories(configHome());

    const auto hasBusName = [this](const std::string& name) {
        const auto names = runClient({"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                      "/org/freedesktop/DBus", "org.freedesktop.DBus.ListNames"},
                                     5000ms);
        return names && names->find("\"" + name + "\"") != std::string::npos;
    };

    if (!startServer("session-bus", {"dbus-daemon", "--session", "--address=unix:path=" + d + "/bus", "--nofork",
                                     "--nopidfile"}) ||
        !startServer("system-bus", {"dbus-daemon", "--session", "--address=unix:path=" + d + "/system_bus",
                                    "--nofork", "--nopidfile"}) ||
        !waitFor("the session bus", [&] { return socketAnswers(d + "/bus") && socketAnswers(d + "/system_bus"); }))
        return false;
    if (!startServer("pipewire", {"pipewire"}) ||
        !waitFor("PipeWire", [&] { return socketAnswers(d + "/pipewire-0"); }) ||
        !startServer("wireplumber", {"wireplumber"}))
        return false;
    std::vector<std::string> shell{"gnome-shell", "--headless", "--wayland", "--wayland-display=" + m_waylandName,
                                   "--virtual-monitor",
                                   std::to_string(m_options.width) + "x" + std::to_string(m_options.height)};
    if (!m_options.xwayland) shell.push_back("--no-x11");
    if (!startServer("gnome-shell", shell) || !waitFor("gnome-shell", [&] {
            return socketAnswers(d + "/" + m_waylandName) && hasBusName("org.gnome.Mutter.ScreenCast") &&
                   hasBusName("org.gnome.Shell") && (!m_options.xwayland || !xwaylandEnvironment().empty());
        }))
        return false;
    // The GNOME backend first, so the portal finds it when it starts.
    if (!startServer("portal-gnome", {"/usr/libexec/xdg-desktop-portal-gnome"}) ||
        !waitFor("xdg-desktop-portal-gnome", [&] { return hasBusName("org.freedesktop.impl.portal.desktop.gnome"); }) ||
        !startServer("portal", {"/usr/libexec/xdg-desktop-portal"}))
        return false;
    return waitFor("the ScreenCast portal", [&] {
        const auto modes = runClient({"gdbus", "call", "--session", "--dest", "org.freedesktop.portal.Desktop",
                                      "--object-path", "/org/freedesktop/portal/desktop", "--method",
                                      "org.freedesktop.DBus.Properties.Get", "org.freedesktop.portal.ScreenCast",
                                      "AvailableCursorModes"},
                                     5000ms);
        return modes && modes->find("uint32") != std::string::npos;
    });
}

std::optional<std::string> HeadlessGnome::runClient(const std::vector<std::string>& command,
                                                    std::chrono::milliseconds timeout)
{
    TempFile output;
    ChildProcess tool(command.front(), std::vector<std::string>(command.begin() + 1, command.end()),
                      environmentWith(clientEnvironment()), {}, output.path());
    if (!tool.pid() || exitCode(tool.waitForExit(timeout)) != 0) return std::nullopt;
    return output.contents();
}

bool HeadlessGnome::allowScreenCastAhead(const std::string& token)
{
    // The monitor as the GNOME portal names it: vendor, product and serial
    // of the first monitor in Mutter's display configuration.
    const auto state = runClient({"gdbus", "call", "--session", "--dest", "org.gnome.Mutter.DisplayConfig",
                                  "--object-path", "/org/gnome/Mutter/DisplayConfig", "--method",
                                  "org.gnome.Mutter.DisplayConfig.GetCurrentState"});
    std::smatch monitor;
    if (!state || !std::regex_search(*state, monitor, std::regex(R"(\(\('[^']*', '([^']*)', '([^']*)', '([^']*)'\))"))) {
        m_error = "Mutter names no monitor";
        return false;
    }
    const std::string match = monitor[1].str() + ":" + monitor[2].str() + ":" + monitor[3].str();
    // Programs outside a sandbox have the empty application id. The data is
    // the GNOME portal's: its name, format 1, and (creation time, last use,
    // [(stream id, source type monitor, the monitor)]).
    return runClient({"gdbus", "call", "--session", "--dest", "org.freedesktop.impl.portal.PermissionStore",
                      "--object-path", "/org/freedesktop/impl/portal/PermissionStore", "--method",
                      "org.freedesktop.impl.portal.PermissionStore.Set", "screencast", "true", token,
                      "{'': ['yes']}",
                      "<('GNOME', uint32 1, <(int64 0, int64 0, [(uint32 0, uint32 1, <'" + match + "'>)])>)>"})
        .has_value();
}

bool HeadlessGnome::allowProgramScreenCast()
{
    if (!allowScreenCastAhead(ProgramToken)) return false;
    std::filesystem::create_directories(configHome() + "/tintora");
    return static_cast<bool>(std::ofstream(programTokenFile()) << ProgramToken << "\n");
}

std::vector<std::string> HeadlessGnome::screenCastTokens()
{
    const auto listed = runClient({"gdbus", "call", "--session", "--dest",
                                   "org.freedesktop.impl.portal.PermissionStore", "--object-path",
                                   "/org/freedesktop/impl/portal/PermissionStore", "--method",
                                   "org.freedesktop.impl.portal.PermissionStore.List", "screencast"});
    std::vector<std::string> tokens;
    if (!listed) return tokens;
    const std::regex quoted("'([^']*)'");
    for (auto it = std::sregex_iterator(listed->begin(), listed->end(), quoted); it != std::sregex_iterator(); ++it)
        tokens.push_back((*it)[1].str());
    return tokens;
}

void HeadlessGnome::stopEverything()
{
    // The portal and the shell first, the buses last.
    for (auto it = m_servers.rbegin(); it != m_servers.rend(); ++it) it->second->stop(3000ms);
    m_servers.clear();
    // What the bus started on request outlives it: orphans now, this
    // process's children. Asked to end, then made to.
    for (const int signo : {SIGTERM, SIGKILL}) {
        for (const pid_t pid : ownChildren()) ::kill(pid, signo);
        waitUntil(3000ms, [] {
            while (::waitpid(-1, nullptr, WNOHANG) > 0) {
            }
            return ownChildren().empty();
        });
    }
    // The document portal's file system, should its helper not have taken
    // it down.
    const std::string documents = m_runtime->path() + "/doc";
    if (isMountPoint(documents)) runClient({"fusermount3", "-u", "-z", documents}, 5000ms);
}

WaylandColourClient::WaylandColourClient(HeadlessGnome& session, const std::string& clientBinary,
                                         const std::string& left, const std::string& right)
{
    std::ofstream(m_dir.file("moves")).flush();
    m_process = std::make_unique<ChildProcess>(clientBinary,
                                               std::vector<std::string>{left, right, m_dir.file("moves")},
                                               environmentWith(session.clientEnvironment()), m_dir.file("errors"),
                                               m_dir.file("output"));
    if (!m_process->pid()) m_error = m_process->error();
}

bool WaylandColourClient::ready(std::chrono::milliseconds timeout)
{
    if (!m_error.empty()) return false;
    if (waitUntil(timeout, [this] { return readAll(m_dir.file("output")).find("ready\n") != std::string::npos; }))
        return true;
    m_error = "the client did not get ready: " + readAll(m_dir.file("errors"));
    return false;
}

bool WaylandColourClient::movePointer(Point p, std::chrono::milliseconds timeout)
{
    const std::string line = std::to_string(p.x) + " " + std::to_string(p.y) + "\n";
    std::ofstream(m_dir.file("moves"), std::ios::app) << line;
    return waitUntil(timeout, [&] { return readAll(m_dir.file("output")).find("moved " + line) != std::string::npos; });
}

} // namespace tintora::test
