#include "platform/x11/x11_helper_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

extern char** environ;

namespace tintora::x11 {

int spawnHelper(const HelperLaunch& launch, pid_t& pid)
{
    // dup2 onto itself would leave close-on-exec set on the helper's end.
    int channel = launch.channel;
    int moved = -1;
    if (channel == launch.channelNumber) {
        moved = ::fcntl(channel, F_DUPFD_CLOEXEC, channel + 1);
        if (moved < 0) return errno;
        channel = moved;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel, launch.channelNumber);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (launch.silent) posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals, allSignals;
    sigemptyset(&noSignals);
    sigfillset(&allSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &allSignals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const std::string marker = std::string(launch.roleVariable) + "=";
    std::vector<std::string> environment;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        if (!entry.starts_with(marker) && !entry.starts_with("DISPLAY=")) environment.push_back(entry);
    }
    environment.push_back(marker + launch.roleValue);
    environment.push_back("DISPLAY=" + launch.displayName);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string name = launch.name;
    char* argv[] = {name.data(), nullptr};

    // posix_spawn, not fork: a fork of a process with Qt's threads could
    // deadlock before it gets to exec.
    const int spawned = ::posix_spawn(&pid, "/proc/self/exe", &actions, &attributes, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (moved >= 0) ::close(moved);
    return spawned;
}

void settleHelper(const char* processName, int channelNumber)
{
    ::prctl(PR_SET_NAME, processName);
    if (::close_range(static_cast<unsigned>(channelNumber) + 1, ~0u, 0) != 0) {
        const long limit = ::sysconf(_SC_OPEN_MAX);
        for (int fd = channelNumber + 1; fd < (limit > 0 && limit < 65536 ? limit : 65536); ++fd) ::close(fd);
    }
    [[maybe_unused]] const int cd = ::chdir("/");
}

} // namespace tintora::x11
