#include "support/headless_sway.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tintora::test {

namespace fs = std::filesystem;

HeadlessSway::HeadlessSway() : HeadlessSway(Options{}) {}

HeadlessSway::HeadlessSway(Options options) : m_options(options)
{
    if (!start()) {
        if (m_error.empty()) m_error = "sway did not start";
        if (m_sway) m_sway->stop();
    }
}

HeadlessSway::~HeadlessSway()
{
    if (m_sway) m_sway->stop();
}

std::vector<std::string> HeadlessSway::asSessionUser(const std::vector<std::string>& command) const
{
    if (!m_asOtherUser) return command;
    std::vector<std::string> wrapped{"setpriv", "--reuid=" + std::to_string(m_uid), "--regid=" + std::to_string(m_gid),
                                     "--clear-groups", "--"};
    wrapped.insert(wrapped.end(), command.begin(), command.end());
    return wrapped;
}

bool HeadlessSway::giveToSessionUser(const std::string& path)
{
    if (!m_asOtherUser) return true;
    std::error_code e;
    if (::chown(path.c_str(), m_uid, m_gid) != 0) return false;
    if (fs::is_directory(path, e))
        for (const auto& entry : fs::recursive_directory_iterator(path, e))
            if (::chown(entry.path().c_str(), m_uid, m_gid) != 0) return false;
    return true;
}

std::string HeadlessSway::makeDirectory(const std::string& name)
{
    const std::string path = m_dir->file(name);
    std::error_code e;
    fs::create_directories(path, e);
    if (e || !giveToSessionUser(path)) return {};
    return path;
}

bool HeadlessSway::start()
{
    const std::string sway = findInPath("sway");
    if (sway.empty()) {
        m_error = "sway is not installed (scripts/deps installs it)";
        return false;
    }
    if (::geteuid() == 0) {
        // sway refuses root: the session is nobody's.
        const passwd* nobody = ::getpwnam("nobody");
        const group* nogroup = ::getgrnam("nogroup");
        if (!nogroup) nogroup = ::getgrnam("nobody");
        if (!nobody || !nogroup || findInPath("setpriv").empty()) {
            m_error = "sway refuses to run as root, and there is no user nobody (or no setpriv) to run it as";
            return false;
        }
        m_asOtherUser = true;
        m_uid = nobody->pw_uid;
        m_gid = nogroup->gr_gid;
    }
    m_dir = std::make_unique<TempDir>("tintora-sway");
    if (m_dir->path().empty() || !giveToSessionUser(m_dir->path())) {
        m_error = "no directory for the session";
        return false;
    }
    // The session's user must reach it from the temporary directory.
    ::chmod(m_dir->path().c_str(), 0755);
    const std::string runtime = makeDirectory("runtime");
    const std::string home = makeDirectory("home");
    if (runtime.empty() || home.empty() || ::chmod(runtime.c_str(), 0700) != 0) {
        m_error = "no runtime directory for the session";
        return false;
    }
    const std::string config = m_dir->file("config");
    {
        std::ofstream out(config);
        out << "output HEADLESS-1 mode " << m_options.width << "x" << m_options.height << " position 0 0\n"
            << "xwayland disable\n";
    }
    giveToSessionUser(config);

    EnvironmentChanges environment{{"XDG_RUNTIME_DIR", runtime},
                                   {"HOME", home},
                                   {"XDG_CONFIG_HOME", home + "/.config"},
                                   {"WLR_BACKENDS", "headless"},
                                   {"WLR_RENDERER", "pixman"},
                                   {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                   {"WAYLAND_DISPLAY", std::nullopt},
                                   {"DISPLAY", std::nullopt},
                                   {"SWAYSOCK", std::nullopt}};
    const std::vector<std::string> command = asSessionUser({sway, "-c", config});
    m_sway = std::make_unique<ChildProcess>(command.front(),
                                            std::vector<std::string>(command.begin() + 1, command.end()),
                                            environmentWith(environment), m_dir->file("sway.log"));
    if (!m_sway->pid()) {
        m_error = "sway: " + m_sway->error();
        return false;
    }
    // Its sockets appear in the runtime directory, then its IPC answers.
    const bool up = waitUntil(m_options.startTimeout, [&] {
        if (!m_sway->running()) return true;
        m_waylandName.clear();
        m_ipcSocket.clear();
        for (const std::string& name : TempDir::entries(runtime)) {
            if (name.rfind("wayland-", 0) == 0 && name.find('.') == std::string::npos) m_waylandName = name;
            if (name.rfind("sway-ipc.", 0) == 0) m_ipcSocket = runtime + "/" + name;
        }
        return !m_waylandName.empty() && !m_ipcSocket.empty() &&
               runClient({"swaymsg", "-t", "get_outputs"}, 5000ms).has_value();
    });
    if (!up || !m_sway->running()) {
        m_error = "sway did not come up: " + readAll(m_dir->file("sway.log"));
        return false;
    }
    return true;
}

EnvironmentChanges HeadlessSway::clientEnvironment() const
{
    const std::string home = m_dir->file("home");
    return {{"XDG_RUNTIME_DIR", m_dir->file("runtime")},
            {"WAYLAND_DISPLAY", m_waylandName},
            {"SWAYSOCK", m_ipcSocket},
            {"HOME", home},
            {"XDG_CONFIG_HOME", home + "/.config"},
            {"DISPLAY", std::nullopt},
            {"XAUTHORITY", std::nullopt},
            {"DBUS_SESSION_BUS_ADDRESS", std::nullopt}};
}

std::unique_ptr<ChildProcess> HeadlessSway::startClient(const std::vector<std::string>& command,
                                                        const EnvironmentChanges& extra, const std::string& errorPath,
                                                        const std::string& outputPath)
{
    EnvironmentChanges environment = clientEnvironment();
    for (const auto& [name, value] : extra) environment[name] = value;
    const std::vector<std::string> wrapped = asSessionUser(command);
    return std::make_unique<ChildProcess>(wrapped.front(), std::vector<std::string>(wrapped.begin() + 1, wrapped.end()),
                                          environmentWith(environment), errorPath, outputPath);
}

std::optional<std::string> HeadlessSway::runClient(const std::vector<std::string>& command,
                                                   std::chrono::milliseconds timeout)
{
    // The streams are opened before the command becomes the session's user.
    TempFile output;
    const auto tool = startClient(command, {}, {}, output.path());
    if (!tool->pid() || exitCode(tool->waitForExit(timeout)) != 0) return std::nullopt;
    return output.contents();
}

bool HeadlessSway::movePointer(Point p)
{
    return runClient({"swaymsg", "seat", "-", "cursor", "set", std::to_string(p.x), std::to_string(p.y)}).has_value();
}

bool HeadlessSway::click()
{
    return runClient({"swaymsg", "seat", "-", "cursor", "press", "button1"}).has_value() &&
           runClient({"swaymsg", "seat", "-", "cursor", "release", "button1"}).has_value();
}

bool HeadlessSway::type(const std::vector<std::string>& wtypeArguments)
{
    std::vector<std::string> command{"wtype"};
    command.insert(command.end(), wtypeArguments.begin(), wtypeArguments.end());
    return runClient(command).has_value();
}

} // namespace tintora::test
