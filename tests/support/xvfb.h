#pragma once

// A private X server for tests and benchmarks, plus the few requests they
// need to set the scene on it: a gamma ramp, solid windows, the pointer.
// Xlib itself stays out of this header (its macros clash with Qt and gtest).

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>
#include <sys/types.h>

#include "platform/geometry.h"

struct _XDisplay;

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

// This process's environment with some variables replaced (a value) or
// removed (nullopt), as "NAME=value" strings for a child.
std::vector<std::string> environmentWith(const std::map<std::string, std::optional<std::string>>& changes);

// A file under /tmp, removed at destruction.
class TempFile {
public:
    TempFile();
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return m_path; }
    std::string contents() const;

private:
    std::string m_path;
};

// A child process started with fork + exec. It gets SIGTERM should this
// process die first; the destructor kills and reaps it if it still runs.
class ChildProcess {
public:
    // Starts program (a path, or a name looked up in $PATH). stdin is
    // /dev/null; stderr goes to errorPath and stdout to outputPath, each
    // /dev/null when empty.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment, const std::string& errorPath = {},
                 const std::string& outputPath = {});
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

struct Colour {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

// One 256-entry table of a gamma ramp.
using RampTable = std::array<std::uint16_t, 256>;

// A top-level window as the server sees it.
struct TopLevel {
    unsigned long id = 0;
    Rect rect;               // position on the root, size
    std::string wmName;      // WM_NAME
    std::string netWmName;   // _NET_WM_NAME (UTF-8)
};

class Xvfb {
public:
    struct Options {
        int width = 1920;
        int height = 1080;
        int depth = 24;
        std::chrono::milliseconds startTimeout = 15000ms;
    };

    Xvfb();
    explicit Xvfb(Options options);
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    // Whether the server runs and answers; error() says why not.
    bool running() const { return m_display != nullptr; }
    const std::string& error() const { return m_error; }
    // ":n"
    const std::string& displayName() const { return m_name; }
    // This object's own connection, for requests tests make directly.
    _XDisplay* display() const { return m_display; }
    Rect rootRect() const { return {0, 0, m_options.width, m_options.height}; }

    // Points $DISPLAY at this server until the result goes away.
    [[nodiscard]] ScopedEnv useAsDisplay() const { return ScopedEnv("DISPLAY", m_name); }

    // Ends the server at once, as a crash would (SIGKILL), and waits until it
    // is gone; this object's connection is closed first.
    void kill();

    // Entries per table of the first CRTC that shows something (0: none).
    int gammaSize();
    // Loads the ramp into the first CRTC that shows something. The tables
    // must match the CRTC's size, which on Xvfb is 256.
    bool setGammaRamp(const RampTable& red, const RampTable& green, const RampTable& blue);

    // Sends the pointer to p (a warp: no motion history, no acceleration) and
    // waits until the server reports it there.
    bool warpPointer(Point p);

    // The colour the root shows at p, read with a 1x1 GetImage.
    std::optional<Colour> rootPixel(Point p);

    // Viewable top-level windows whose WM_NAME or _NET_WM_NAME is name, the
    // first one found (frames of a window manager are looked through).
    std::optional<TopLevel> findTopLevel(const std::string& name);
    // Polls findTopLevel until found and accepted (any found one when accept
    // is empty) or timeout; the last one found either way.
    std::optional<TopLevel> waitForTopLevel(const std::string& name, std::chrono::milliseconds timeout,
                                            const std::function<bool(const TopLevel&)>& accept = {});

private:
    bool start(int number, std::string& why);
    void shutDown();

    Options m_options;
    std::string m_name;
    std::string m_error;
    std::optional<TempFile> m_log;
    std::optional<ChildProcess> m_server;
    _XDisplay* m_display = nullptr;
};

// A borderless, override-redirect window of one colour, mapped above the
// others; destroyed with this object.
class SolidWindow {
public:
    SolidWindow(Xvfb& server, Rect rect, Colour colour);
    ~SolidWindow();
    SolidWindow(const SolidWindow&) = delete;
    SolidWindow& operator=(const SolidWindow&) = delete;

    // Whether the root showed the colour at the window's centre in time.
    bool shown() const { return m_shown; }
    Rect rect() const { return m_rect; }
    Point centre() const { return {m_rect.x + m_rect.width / 2, m_rect.y + m_rect.height / 2}; }

private:
    Xvfb& m_server;
    Rect m_rect;
    unsigned long m_window = 0;
    bool m_shown = false;
};

} // namespace tintora::test
