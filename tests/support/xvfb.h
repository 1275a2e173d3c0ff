#pragma once

// A private X server for tests and benchmarks, and the server as they meet
// it: its gamma ramp, solid windows, the pointer, the top-level windows and
// the keyboard focus, screenshots, the clipboard read through xclip, and
// tools such as xdotool run against it.
// Xlib itself stays out of this header (its macros clash with Qt and gtest).

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <sys/types.h>

#include "core/geometry.h"
#include "support/processes.h"

struct _XDisplay;

namespace tintora::test {

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

// $DISPLAY pointed at a server, and any Wayland session hidden (the X11
// backend refuses one), while alive.
struct DisplaySession {
    ScopedEnv display;
    ScopedEnv waylandDisplay{"WAYLAND_DISPLAY", std::nullopt};
    ScopedEnv sessionType{"XDG_SESSION_TYPE", std::nullopt};
};

class Xvfb {
public:
    struct Options {
        int width = 1920;
        int height = 1080;
        int depth = 24;
        std::chrono::milliseconds startTimeout = 15000ms;
        // When set, Xorg runs with this configuration (the dummy video
        // driver, whose XF86VidMode gamma ramp Wine reads) instead of Xvfb;
        // width and height must then be the configuration's screen size.
        std::string xorgConfig;
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
    // The server process.
    pid_t pid() const { return m_server ? m_server->pid() : 0; }
    // This object's own connection, for requests tests make directly.
    _XDisplay* display() const { return m_display; }
    Rect rootRect() const { return {0, 0, m_options.width, m_options.height}; }

    // This process as a client of the server until the result goes away.
    [[nodiscard]] DisplaySession useAsDisplay() const { return DisplaySession{ScopedEnv("DISPLAY", m_name)}; }
    // The environment of a program run on this server, with further changes.
    std::vector<std::string> clientEnvironment(const EnvironmentChanges& changes = {}) const;
    // Runs a tool such as xdotool on this server to its end; whether it
    // ended with 0 in time.
    bool runClient(const std::string& tool, const std::vector<std::string>& args,
                   std::chrono::milliseconds timeout = 5000ms) const;

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

    // The first viewable top-level window whose WM_NAME or _NET_WM_NAME is
    // name (see topLevelsNamed).
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
    std::optional<TempFile> m_xorgLog;
    std::optional<ChildProcess> m_server;
    _XDisplay* m_display = nullptr;
};

// The ramp that maps level i to i * 257 (each 8-bit level to its 16-bit
// equal), and that ramp loaded in all three tables.
RampTable identityRamp();
bool loadIdentityRamp(Xvfb& server);

// Every viewable top-level window titled name, in stacking order. Without a
// window manager the windows are children of the root; with one they sit
// one level down, in its frames, which are looked through.
std::vector<TopLevel> topLevelsNamed(Xvfb& server, const std::string& name);
// Whether the keyboard focus is on window or on one of its descendants.
bool hasFocus(Xvfb& server, unsigned long window);

// What `xclip -o -selection clipboard` prints on the server; nothing when it
// fails or does not end in time.
std::optional<std::string> pasteClipboard(const Xvfb& server);
// Polls the clipboard until it holds expected; the last text pasted.
std::optional<std::string> waitForClipboard(const Xvfb& server, const std::string& expected,
                                            std::chrono::milliseconds timeout = 20000ms);

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

// The root's pixels over rect, read with one GetImage, so all from the same
// moment.
class Screenshot {
public:
    static std::optional<Screenshot> take(Xvfb& server, Rect rect);
    // The pixel at p, relative to the rectangle's top-left corner.
    Colour at(Point p) const { return m_pixels[static_cast<std::size_t>(p.y * m_rect.width + p.x)]; }
    const Rect& rect() const { return m_rect; }

private:
    Rect m_rect;
    std::vector<Colour> m_pixels;
};

// Writes the shot as a PNG through ImageMagick (a PPM beside it first); an
// error text, or empty.
std::string savePng(const Screenshot& shot, const std::string& png);

} // namespace tintora::test
