#pragma once

// The real program, copied into a directory of its own (its settings file
// lies beside the executable) and run on a private Xvfb; and the keyboard,
// clipboard, windows and screen of that server as a user meets them.
// Xlib stays out of this header (its macros clash with gtest).

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <sys/types.h>

#include "support/xvfb.h"

namespace tintora::test {

// Generous: the machine may be busy building while the tests run.
inline constexpr auto ProgramStartTimeout = std::chrono::milliseconds(20000);
inline constexpr auto ProgramExitTimeout = std::chrono::milliseconds(10000);

// A fresh directory tree under /tmp, removed with everything in it at the end:
// program/ with a copy of the binary, runtime/ for the pointer state files
// ($XDG_RUNTIME_DIR) and config/ ($XDG_CONFIG_HOME), so that no run touches
// anything outside.
class ProgramDirectory {
public:
    ProgramDirectory();
    ~ProgramDirectory();
    ProgramDirectory(const ProgramDirectory&) = delete;
    ProgramDirectory& operator=(const ProgramDirectory&) = delete;

    // Empty when the directory is ready, else why not.
    const std::string& error() const { return m_error; }

    const std::string& root() const { return m_root; }
    std::string programDir() const { return m_root + "/program"; }
    std::string binary() const { return programDir() + "/tintora"; }
    std::string settingsPath() const { return programDir() + "/Tintora.ini"; }
    std::string runtimeDir() const { return m_root + "/runtime"; }
    std::string configDir() const { return m_root + "/config"; }

    bool writeSettings(const std::string& text) const;
    // The settings file's bytes; nothing when it cannot be read.
    std::optional<std::string> settings() const;
    // Names of the entries of a directory, sorted.
    static std::vector<std::string> entries(const std::string& dir);

private:
    std::string m_root;
    std::string m_error;
};

// The program started from a ProgramDirectory on a server, with its readouts
// traced to stdout. The destructor ends it (SIGTERM, then SIGKILL) and reaps
// it, and with it any clipboard keeper it left behind.
class RunningProgram {
public:
    RunningProgram(Xvfb& server, const ProgramDirectory& directory, const std::vector<std::string>& args = {});
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Waits until the main window is mapped and has the keyboard focus (keys
    // sent before would go elsewhere); the window, or nothing with why set.
    std::optional<TopLevel> waitUntilReady(std::string& why);

    ChildProcess& process() { return *m_process; }
    std::string trace() const { return m_output.contents(); }
    std::string errors() const { return m_errors.contents(); }
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

// The server's keyboard driven through XTest, on the server object's own
// connection. Keys are X keysym names ("Control_L", "c", "equal", "Return").
// Keys still held at destruction are released.
class Keyboard {
public:
    explicit Keyboard(Xvfb& server);
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    bool press(const std::string& keysym);
    bool release(const std::string& keysym);
    // Presses the keys in order and releases them in reverse order.
    bool tap(const std::vector<std::string>& chord);

private:
    bool send(const std::string& keysym, bool down);

    Xvfb& m_server;
    std::vector<std::string> m_held;
};

// The ramp that maps level i to i * 257 on all three channels.
bool loadIdentityRamp(Xvfb& server);

// What `xclip -o -selection clipboard` prints on the server; nothing when it
// fails or does not end in time.
std::optional<std::string> pasteClipboard(const Xvfb& server);
// Polls the clipboard until it holds expected; the last text pasted.
std::optional<std::string> waitForClipboard(const Xvfb& server, const std::string& expected,
                                            std::chrono::milliseconds timeout = ProgramStartTimeout);

// Every viewable top-level window titled name (frames of a window manager
// looked through), in stacking order.
std::vector<TopLevel> topLevelsNamed(Xvfb& server, const std::string& name);
// Whether the keyboard focus is on window or on one of its descendants.
bool hasFocus(Xvfb& server, unsigned long window);

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
