#include "support/processes.h"

#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

extern char** environ;

namespace tintora::test {

namespace fs = std::filesystem;

// --- environment --------------------------------------------------------------

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : m_name(std::move(name))
{
    if (const char* old = std::getenv(m_name.c_str())) m_old = old;
    if (value)
        ::setenv(m_name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

ScopedEnv::ScopedEnv(ScopedEnv&& other) noexcept : m_name(std::move(other.m_name)), m_old(std::move(other.m_old))
{
    other.m_active = false;
}

ScopedEnv::~ScopedEnv()
{
    if (!m_active) return;
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

std::vector<std::string> environmentWith(const EnvironmentChanges& changes)
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (!changes.contains(name)) env.push_back(entry);
    }
    for (const auto& [name, value] : changes)
        if (value) env.push_back(name + "=" + *value);
    return env;
}

// --- temporary files ----------------------------------------------------------

TempDir::TempDir(const std::string& prefix)
{
    std::string pattern = ::testing::TempDir();
    if (!pattern.empty() && pattern.back() != '/') pattern += '/';
    pattern += prefix + "-XXXXXX";
    if (::mkdtemp(pattern.data())) m_path = pattern;
}

TempDir::~TempDir()
{
    if (m_path.empty()) return;
    // Tests make parts of the tree read-only; give the write bits back first.
    std::error_code e;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, e);
    for (const auto& entry : fs::recursive_directory_iterator(m_path, e))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, e);
    fs::remove_all(m_path, e);
}

std::vector<std::string> TempDir::entries(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code e;
    for (const auto& entry : fs::directory_iterator(dir, e)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TempFile::TempFile()
{
    if (m_dir.path().empty()) return;
    m_path = m_dir.path() + "/file";
    std::ofstream(m_path, std::ios::binary);
}

std::string TempFile::contents() const { return readAll(m_path); }

bool TempFile::write(const std::string& bytes) const
{
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out.flush());
}

// --- child processes ----------------------------------------------------------

std::string findInPath(const std::string& program)
{
    if (program.find('/') != std::string::npos) return program;
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

namespace {

std::vector<char*> cStrings(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& environment, const std::string& errorPath,
                           const std::string& outputPath, const StreamFaults& faults)
{
    const std::string path = findInPath(program);
    if (path.empty()) {
        m_error = "cannot find " + program + " in $PATH";
        return;
    }
    // Everything the child touches is prepared before fork: between fork and
    // exec only async-signal-safe calls are allowed.
    std::vector<std::string> argStrings{path};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<std::string> envStrings = environment;
    std::vector<char*> argv = cStrings(argStrings);
    std::vector<char*> envp = cStrings(envStrings);
    const std::string errors = errorPath.empty() ? "/dev/null" : errorPath;
    const std::string output = outputPath.empty() ? "/dev/null" : outputPath;
    const pid_t parent = ::getpid();
    // The reading end goes with this process's copy, once the child has the
    // writing end.
    int pipeEnds[2] = {-1, -1};
    if (faults.outputIntoClosedPipe && ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        m_error = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;

    const pid_t pid = ::fork();
    if (pid < 0) m_error = std::string("fork: ") + std::strerror(errno);
    if (pid == 0) {
        // A test that crashes must not leave the child behind.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        ::setpgid(0, 0);
        const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        const int out = faults.outputIntoClosedPipe
                            ? pipeEnds[1]
                            : ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (in < 0 || out < 0 || err < 0) ::_exit(127);
        // Opened close-on-exec: only the copies on 0, 1 and 2 stay.
        for (const auto& [fd, target] : {std::pair{in, 0}, std::pair{out, 1}, std::pair{err, 2}})
            if (fd == target ? ::fcntl(fd, F_SETFD, 0) != 0 : ::dup2(fd, target) != target) ::_exit(127);
        if (faults.outputIntoClosedPipe) ::sigaction(SIGPIPE, &ignore, nullptr);
        for (const int fd : faults.closed) ::close(fd);
        ::execve(path.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    for (const int end : pipeEnds)
        if (end >= 0) ::close(end);
    if (pid > 0) m_pid = pid;
}

ChildProcess::~ChildProcess() { stop(1000ms); }

bool ChildProcess::running()
{
    if (m_pid == 0 || m_status) return false;
    int status = 0;
    const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
    if (r == m_pid || (r < 0 && errno == ECHILD)) {
        m_status = r == m_pid ? status : -1;
        return false;
    }
    return true;
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout)
{
    if (m_pid == 0) return std::nullopt;
    waitUntil(timeout, [this] { return !running(); });
    return m_status;
}

bool ChildProcess::signal(int signo) { return running() && ::kill(m_pid, signo) == 0; }

void ChildProcess::stop(std::chrono::milliseconds grace)
{
    if (!running()) return;
    ::kill(m_pid, SIGTERM);
    if (waitForExit(grace)) return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_status = status;
}

int exitCode(std::optional<int> status) { return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1; }

// --- /proc --------------------------------------------------------------------

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

namespace {

// The fields of /proc/<pid>/stat after the name: state, ppid, pgrp.
struct ProcessStat {
    std::string state;
    pid_t parent = 0;
    pid_t group = 0;
};

std::optional<ProcessStat> statOf(pid_t pid)
{
    const std::string stat = readAll("/proc/" + std::to_string(pid) + "/stat");
    // "pid (name) state ppid pgrp ...": the name may hold anything, even ')'.
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream rest(stat.substr(close + 1));
    ProcessStat s;
    long parent = 0, group = 0;
    if (!(rest >> s.state >> parent >> group)) return std::nullopt;
    s.parent = static_cast<pid_t>(parent);
    s.group = static_cast<pid_t>(group);
    return s;
}


} // namespace

pid_t parentOf(pid_t pid)
{
    const auto stat = statOf(pid);
    return stat ? stat->parent : 0;
}

std::vector<pid_t> processesWithEnvironment(const std::string& entry)
{
    std::vector<pid_t> found;
    for (const pid_t pid : allProcesses()) {
        const auto stat = statOf(pid);
        if (!stat || stat->state == "Z") continue;
        const std::string environment = '\0' + readAll("/proc/" + std::to_string(pid) + "/environ");
        if (environment.find('\0' + entry + '\0') != std::string::npos) found.push_back(pid);
    }
    return found;
}

std::vector<pid_t> processGroupMembers(pid_t group)
{
    std::vector<pid_t> members;
    for (const pid_t pid : allProcesses()) {
        const auto stat = statOf(pid);
        if (stat && stat->group == group && stat->state != "Z") members.push_back(pid);
    }
    return members;
}

std::vector<pid_t> childrenCalled(const std::string& name, pid_t parent)
{
    if (parent == 0) parent = ::getpid();
    std::vector<pid_t> found;
    for (const pid_t pid : allProcesses()) {
        if (parentOf(pid) != parent) continue;
        const std::string cmdline = readAll("/proc/" + std::to_string(pid) + "/cmdline");
        if (cmdline.substr(0, cmdline.find('\0')) == name) found.push_back(pid);
    }
    return found;
}

std::vector<pid_t> allProcesses()
{
    std::vector<pid_t> pids;
    DIR* proc = ::opendir("/proc");
    if (!proc) return pids;
    while (const dirent* entry = ::readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
        if (pid > 0) pids.push_back(pid);
    }
    ::closedir(proc);
    return pids;
}

} // namespace tintora::test
