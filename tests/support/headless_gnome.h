#pragma once

// A private headless GNOME session for the Wayland tests: gnome-shell (with
// Mutter) on a virtual monitor, PipeWire with WirePlumber, the desktop
// portal with its GNOME backend, each on a private runtime directory and
// private session and system buses, all started and waited for with a
// deadline and all stopped at the end, with whatever they started.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "support/processes.h"

namespace tintora::test {

class HeadlessGnome {
public:
    struct Options {
        int width = 1920;
        int height = 1080;
        std::chrono::milliseconds startTimeout = 60000ms;
        // Mutter runs Xwayland too, an X server for X programs that shows
        // none of the Wayland windows.
        bool xwayland = false;
    };

    HeadlessGnome();
    explicit HeadlessGnome(Options options);
    ~HeadlessGnome();
    HeadlessGnome(const HeadlessGnome&) = delete;
    HeadlessGnome& operator=(const HeadlessGnome&) = delete;

    // Whether every server runs and answers; error() says why not.
    bool running() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }
    Rect monitor() const { return {0, 0, m_options.width, m_options.height}; }

    // What a client of the session runs with: the compositor, the buses,
    // the private home and configuration directory, and no X display.
    EnvironmentChanges clientEnvironment() const;
    // With Options::xwayland: $DISPLAY and $XAUTHORITY of its X server.
    EnvironmentChanges xwaylandEnvironment() const;
    // $XDG_CONFIG_HOME of the session's clients.
    std::string configHome() const;

    // Records in the portal's permission store what the ScreenCast dialog
    // records when the user shares the monitor and lets the choice be
    // remembered, under token (a UUID): a program that brings this token
    // is not asked.
    bool allowScreenCastAhead(const std::string& token);
    // The consent given to Tintora so: under ProgramToken, which is put where
    // the program keeps its restore token (programTokenFile()).
    bool allowProgramScreenCast();
    static constexpr const char* ProgramToken = "0f2c6a52-9a43-4d9e-8a61-3c1c2f6b7d10";
    std::string programTokenFile() const { return configHome() + "/tintora/screen-cast-restore-token"; }
    // The restore tokens the portal holds for screen casts.
    std::vector<std::string> screenCastTokens();

    // A command's standard output, run as a client of the session; nothing
    // when it fails or does not end within timeout.
    std::optional<std::string> runClient(const std::vector<std::string>& command,
                                         std::chrono::milliseconds timeout = 10000ms);

private:
    bool start();
    bool startServer(const std::string& name, const std::vector<std::string>& command);
    bool waitFor(const std::string& what, const std::function<bool()>& condition);
    void stopEverything();

    Options m_options;
    std::string m_error;
    std::unique_ptr<TempDir> m_runtime;
    std::string m_waylandName;
    // In the order started, with their names.
    std::vector<std::pair<std::string, std::unique_ptr<ChildProcess>>> m_servers;
};

// The test client (wayland_test_client) on a session: a full-screen window
// whose left half is one colour and right half another, and the pointer
// moved through Mutter's RemoteDesktop.
class WaylandColourClient {
public:
    // Colours as RRGGBB.
    WaylandColourClient(HeadlessGnome& session, const std::string& clientBinary, const std::string& left,
                        const std::string& right);
    // Whether the window has painted and the pointer can be moved; error()
    // says why not.
    bool ready(std::chrono::milliseconds timeout);
    const std::string& error() const { return m_error; }
    // Moves the pointer to p and waits until Mutter has taken the move.
    bool movePointer(Point p, std::chrono::milliseconds timeout = 10000ms);

private:
    TempDir m_dir{"tintora-client"};
    std::string m_error;
    std::unique_ptr<ChildProcess> m_process;
};

} // namespace tintora::test
