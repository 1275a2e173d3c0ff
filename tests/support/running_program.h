#pragma once

// The real program, copied into a directory of its own (its settings file
// lies beside the executable) and run on a private Xvfb: the one launcher of
// the end-to-end tests and the process benchmarks.
// Xlib stays out of this header (its macros clash with gtest).

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/processes.h"
#include "support/xvfb.h"

namespace tintora::test {

// Generous: the machine may be busy building while the tests run.
inline constexpr auto ProgramStartTimeout = std::chrono::milliseconds(20000);
inline constexpr auto ProgramExitTimeout = std::chrono::milliseconds(10000);

// The program's path in the build tree.
std::string programBinary();

// A fresh TempDir: program/ with a copy of the binary, runtime/ for the
// pointer state files ($XDG_RUNTIME_DIR) and config/ ($XDG_CONFIG_HOME), so
// that no run touches anything outside, and runs side by side never meet.
class ProgramDirectory {
public:
    ProgramDirectory();
    ProgramDirectory(const ProgramDirectory&) = delete;
    ProgramDirectory& operator=(const ProgramDirectory&) = delete;

    // Empty when the directory is ready, else why not.
    const std::string& error() const { return m_error; }

    const std::string& root() const { return m_dir.path(); }
    std::string programDir() const { return root() + "/program"; }
    std::string binary() const { return programDir() + "/tintora"; }
    std::string settingsPath() const { return programDir() + "/Tintora.ini"; }
    std::string runtimeDir() const { return root() + "/runtime"; }
    std::string configDir() const { return root() + "/config"; }

    bool writeSettings(const std::string& text) const;
    // The settings file's bytes; nothing when it cannot be read.
    std::optional<std::string> settings() const;
    // Names of the entries of a directory, sorted.
    static std::vector<std::string> entries(const std::string& dir) { return TempDir::entries(dir); }

private:
    TempDir m_dir{"tintora-program"};
    std::string m_error;
};

// The program started from a ProgramDirectory on a server, with its readouts
// traced to stdout. The destructor ends it (SIGTERM, then SIGKILL) and reaps
// it, and with it any clipboard keeper it left behind.
class RunningProgram {
public:
    struct Launch {
        std::vector<std::string> args;
        // Further changes to the program's environment (DISPLAY unset runs it
        // without a display).
        EnvironmentChanges environment;
        // Where stdout goes (a FIFO, say); a file of this object's when empty.
        std::string outputPath;
        // Standard streams closed or broken from the start.
        StreamFaults streams;
    };

    RunningProgram(Xvfb& server, const ProgramDirectory& directory, const std::vector<std::string>& args = {});
    RunningProgram(Xvfb& server, const ProgramDirectory& directory, Launch launch);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Waits until the main window is mapped and has the keyboard focus (keys
    // sent before would go elsewhere); the window, or nothing with why set.
    std::optional<TopLevel> waitUntilReady(std::string& why);

    ChildProcess& process() { return *m_process; }
    std::string trace() const { return m_output.contents(); }
    std::string errors() const { return m_errors.contents(); }
    // A second window titled as the main one (an error box) once it is
    // mapped; nothing when none comes in time.
    std::optional<TopLevel> waitForErrorBox(const TopLevel& mainWindow);
    // Whether the trace shows a line containing text within the timeout.
    bool traceShows(const std::string& text, std::chrono::milliseconds timeout = ProgramStartTimeout) const;
    // Text for failure messages: the trace and stderr so far.
    std::string transcript() const;

private:
    Xvfb& m_server;
    TempFile m_output;
    TempFile m_errors;
    std::unique_ptr<ChildProcess> m_process;
    bool m_subreaper = false;
};

// The pointer watchdog a running program starts (a child of it called so),
// once it is there; nothing when none comes in time.
std::optional<pid_t> waitForWatchdog(pid_t program);

} // namespace tintora::test
