#include "support/running_program.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

namespace tintora::test {

namespace {

namespace fs = std::filesystem;

constexpr const char* Binary = TINTORA_BINARY;
// What the clipboard keeper calls itself (its argv[0]).
constexpr const char* KeeperName = "tintora-clipboard-keeper";

} // namespace

// --- the program's directory --------------------------------------------------

std::string programBinary() { return Binary; }

ProgramDirectory::ProgramDirectory()
{
    if (root().empty()) {
        m_error = "cannot make a temporary directory";
        return;
    }
    std::error_code e;
    for (const std::string& dir : {programDir(), runtimeDir(), configDir()}) fs::create_directory(dir, e);
    fs::permissions(runtimeDir(), fs::perms::owner_all, e);
    if (!fs::copy_file(Binary, binary(), e)) m_error = "cannot copy " + std::string(Binary) + ": " + e.message();
}

bool ProgramDirectory::writeSettings(const std::string& text) const
{
    std::ofstream out(settingsPath(), std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

std::optional<std::string> ProgramDirectory::settings() const
{
    if (!fs::exists(settingsPath())) return std::nullopt;
    return readAll(settingsPath());
}

// --- the program ----------------------------------------------------------------

RunningProgram::RunningProgram(Xvfb& server, const ProgramDirectory& directory, const std::vector<std::string>& args)
    : RunningProgram(server, directory, Launch{args, {}, {}, {}})
{
}

RunningProgram::RunningProgram(Xvfb& server, const ProgramDirectory& directory, Launch launch) : m_server(server)
{
    // A keeper the program starts at its end must come back here to be reaped.
    int already = 0;
    ::prctl(PR_GET_CHILD_SUBREAPER, &already);
    m_subreaper = !already && ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;

    EnvironmentChanges environment{
        {"XDG_RUNTIME_DIR", directory.runtimeDir()},
        {"XDG_CONFIG_HOME", directory.configDir()},
        {"TINTORA_TRACE_READOUTS", "1"},
    };
    for (auto& [name, value] : launch.environment) environment[name] = value;
    const std::string output = launch.outputPath.empty() ? m_output.path() : launch.outputPath;
    m_process = std::make_unique<ChildProcess>(directory.binary(), launch.args,
                                               server.clientEnvironment(environment), m_errors.path(), output,
                                               launch.streams);
}

RunningProgram::~RunningProgram()
{
    // The normal close may hand a copied colour to a keeper first.
    m_process->stop(ProgramExitTimeout);
    for (pid_t keeper : childrenCalled(KeeperName)) {
        ::kill(keeper, SIGKILL);
        ::waitpid(keeper, nullptr, 0);
    }
    if (m_subreaper) ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

std::optional<TopLevel> RunningProgram::waitUntilReady(std::string& why)
{
    if (!m_process->pid()) {
        why = m_process->error();
        return std::nullopt;
    }
    const auto window = m_server.waitForTopLevel("Tintora", ProgramStartTimeout);
    if (!window) {
        why = "no window titled Tintora; " + transcript();
        return std::nullopt;
    }
    if (!waitUntil(ProgramStartTimeout, [&] { return hasFocus(m_server, window->id); })) {
        why = "the main window never got the keyboard focus";
        return std::nullopt;
    }
    return window;
}

std::optional<TopLevel> RunningProgram::waitForErrorBox(const TopLevel& mainWindow)
{
    std::optional<TopLevel> box;
    waitUntil(ProgramStartTimeout, [&] {
        for (const TopLevel& t : topLevelsNamed(m_server, mainWindow.wmName))
            if (t.id != mainWindow.id) box = t;
        return box.has_value();
    });
    return box;
}

bool RunningProgram::traceShows(const std::string& text, std::chrono::milliseconds timeout) const
{
    return waitUntil(timeout, [&] { return trace().find(text) != std::string::npos; });
}

std::optional<pid_t> waitForWatchdog(pid_t program)
{
    std::optional<pid_t> watchdog;
    waitUntil(ProgramStartTimeout, [&] {
        const std::vector<pid_t> found = childrenCalled("tintora-pointer-watchdog", program);
        if (!found.empty()) watchdog = found.front();
        return watchdog.has_value();
    });
    return watchdog;
}

std::string RunningProgram::transcript() const { return "trace:\n" + trace() + "stderr:\n" + errors(); }

} // namespace tintora::test
