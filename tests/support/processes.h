#pragma once

// What the tests and benchmarks that run other programs share: waiting for a
// condition, the environment, temporary files and directories under the test
// framework's temporary directory, child processes, and what /proc tells
// about processes.

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>
#include <sys/types.h>

namespace tintora::test {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Polls condition every few milliseconds until it holds or timeout passes;
// true when it held. The condition is always tried at least once more after
// the deadline, so a slow machine never fails a test that just made it.
inline bool waitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& condition)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const bool late = Clock::now() >= deadline;
        if (condition()) return true;
        if (late) return false;
        std::this_thread::sleep_for(5ms);
    }
}

// Sets (or with nullopt removes) an environment variable; the old state comes
// back at destruction.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(ScopedEnv&& other) noexcept;
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ScopedEnv& operator=(ScopedEnv&&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
    bool m_active = true;
};

// Changes to an environment: a value sets the variable, nullopt removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// This process's environment with the changes made, as "NAME=value" strings
// for a child.
std::vector<std::string> environmentWith(const EnvironmentChanges& changes);

// A fresh directory under the test framework's temporary directory (gtest's
// TempDir(): $TEST_TMPDIR, $TMPDIR or /tmp), removed with everything in it at
// destruction, write bits given back first. Unique per object, so test
// programs running side by side never share one.
class TempDir {
public:
    // prefix names the directory, for whoever finds one left by a crash.
    explicit TempDir(const std::string& prefix = "tintora");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Empty when the directory could not be made.
    const std::string& path() const { return m_path; }
    // The path of an entry of the directory.
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Names of the entries of a directory, sorted.
    static std::vector<std::string> entries(const std::string& dir);
    std::vector<std::string> entries() const { return entries(m_path); }

private:
    std::string m_path;
};

// A file in a TempDir of its own, removed at destruction.
class TempFile {
public:
    TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return m_path; }
    std::string contents() const;
    bool write(const std::string& bytes) const;

private:
    TempDir m_dir{"tintora-file"};
    std::string m_path;
};

// Standard streams a child starts with that a user may give it too, to see
// how it copes.
struct StreamFaults {
    // Descriptors among 0, 1 and 2 that are not open at all when it starts.
    std::vector<int> closed;
    // Its standard output a pipe whose reading end is already closed, with
    // SIGPIPE ignored: every write to it fails with EPIPE.
    bool outputIntoClosedPipe = false;
};

// A child process started with fork + exec. It gets SIGTERM should this
// process die first; the destructor kills and reaps it if it still runs.
class ChildProcess {
public:
    // Starts program (a path, or a name looked up in $PATH). stdin is
    // /dev/null; stderr goes to errorPath and stdout to outputPath, each
    // /dev/null when empty; faults changes them further.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment, const std::string& errorPath = {},
                 const std::string& outputPath = {}, const StreamFaults& faults = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // 0 when the start failed (then error() says why).
    pid_t pid() const { return m_pid; }
    const std::string& error() const { return m_error; }

    // Whether the child has not been reaped yet (reaps it if it has ended).
    bool running();
    // The wait status once the child has ended within timeout, else nothing.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool signal(int signo);
    // SIGTERM, a grace period, then SIGKILL; always reaps.
    void stop(std::chrono::milliseconds grace = 3000ms);

private:
    pid_t m_pid = 0;
    std::optional<int> m_status;
    std::string m_error;
};

// The path of program (a path, or a name looked up in $PATH); empty when it
// is not found there.
std::string findInPath(const std::string& program);

// The exit code in a wait status; -1 for none, or for an end by a signal.
int exitCode(std::optional<int> status);

// A file's whole contents; empty when it cannot be read.
std::string readAll(const std::string& path);

// Every process that /proc lists.
std::vector<pid_t> allProcesses();

// The parent of a process, 0 when unknown.
pid_t parentOf(pid_t pid);

// Children of parent (this process by default) whose argv[0] is name.
std::vector<pid_t> childrenCalled(const std::string& name, pid_t parent = 0);

// Every process, zombies left out, whose process group is group.
std::vector<pid_t> processGroupMembers(pid_t group);
// Every process, zombies left out, whose environment holds entry
// ("NAME=value") as it was when the process started.
std::vector<pid_t> processesWithEnvironment(const std::string& entry);

} // namespace tintora::test
