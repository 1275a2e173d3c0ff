#pragma once

// A private headless sway for the wlroots tests: sway on one headless output,
// software-rendered, with no input devices but the virtual ones its clients
// make, on a runtime directory of its own. sway refuses to run as root: a
// test run by root runs it, and every client of it, as the unprivileged
// user nobody (the session's directories are made over to that user).
// Started and waited for with a deadline, stopped at the end.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "support/processes.h"

namespace tintora::test {

class HeadlessSway {
public:
    struct Options {
        int width = 1920;
        int height = 1080;
        std::chrono::milliseconds startTimeout = 30000ms;
    };

    HeadlessSway();
    explicit HeadlessSway(Options options);
    ~HeadlessSway();
    HeadlessSway(const HeadlessSway&) = delete;
    HeadlessSway& operator=(const HeadlessSway&) = delete;

    // Whether sway runs and answers; error() says why not.
    bool running() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }
    Rect output() const { return {0, 0, m_options.width, m_options.height}; }

    // A fresh directory of the session's user, inside the session's own.
    std::string makeDirectory(const std::string& name);
    // Makes a file or directory the session's user's (when the test runs as
    // root), so that its clients may use it.
    bool giveToSessionUser(const std::string& path);

    // What a client of the session runs with: the compositor, its IPC
    // socket, the session's home and runtime directory, and no X display.
    EnvironmentChanges clientEnvironment() const;
    // Starts a command as a client of the session, as the session's user,
    // its streams going to the files named (nowhere when empty).
    std::unique_ptr<ChildProcess> startClient(const std::vector<std::string>& command,
                                              const EnvironmentChanges& extra = {}, const std::string& errorPath = {},
                                              const std::string& outputPath = {});
    // A command's standard output, run as a client; nothing when it fails or
    // does not end within timeout.
    std::optional<std::string> runClient(const std::vector<std::string>& command,
                                         std::chrono::milliseconds timeout = 10000ms);

    // The pointer put at p and the primary button clicked, through sway's
    // IPC (the seat's own cursor).
    bool movePointer(Point p);
    bool click();
    // Keys typed through a virtual keyboard (wtype's arguments: "-k Escape").
    bool type(const std::vector<std::string>& wtypeArguments);

private:
    bool start();
    std::vector<std::string> asSessionUser(const std::vector<std::string>& command) const;

    Options m_options;
    std::string m_error;
    std::unique_ptr<TempDir> m_dir;
    std::string m_waylandName;
    std::string m_ipcSocket;
    std::unique_ptr<ChildProcess> m_sway;
    bool m_asOtherUser = false;
    unsigned m_uid = 0, m_gid = 0;
};

} // namespace tintora::test
