#include "e2e/running_program.h"
#include "support/processes.h"
#include "support/xlib_helpers.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <dirent.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tintora::test {

namespace {

namespace fs = std::filesystem;

constexpr const char* Binary = TINTORA_BINARY;
// What the clipboard keeper calls itself (its argv[0]).
constexpr const char* KeeperName = "tintora-clipboard-keeper";



// Children of this process that are clipboard keepers: a keeper is a session
// of its own, and comes to this process when the program that started it ends
// (see the subreaper in RunningProgram).
std::vector<pid_t> keeperChildren()
{
    std::vector<pid_t> found;
    DIR* proc = ::opendir("/proc");
    if (!proc) return found;
    while (const dirent* entry = ::readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
        if (pid <= 0 || parentOf(pid) != ::getpid()) continue;
        const std::string cmdline = readAll("/proc/" + std::to_string(pid) + "/cmdline");
        if (cmdline.substr(0, cmdline.find('\0')) == KeeperName) found.push_back(pid);
    }
    ::closedir(proc);
    return found;
}


std::vector<Window> childrenOf(Display* d, Window parent)
{
    Window root = None, up = None, *list = nullptr;
    unsigned int count = 0;
    std::vector<Window> out;
    if (XQueryTree(d, parent, &root, &up, &list, &count) && list) out.assign(list, list + count);
    if (list) XFree(list);
    return out;
}

// While alive, X errors are ignored: a window may vanish between listing it
// and asking about it.
class IgnoreErrors {
public:
    explicit IgnoreErrors(Display* d) : m_display(d), m_previous(XSetErrorHandler([](Display*, XErrorEvent*) {
                                                         return 0;
                                                     }))
    {
    }
    ~IgnoreErrors()
    {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }

private:
    Display* m_display;
    int (*m_previous)(Display*, XErrorEvent*);
};

} // namespace

// --- the program's directory --------------------------------------------------

ProgramDirectory::ProgramDirectory()
{
    char name[] = "/tmp/tintora-program-XXXXXX";
    if (!::mkdtemp(name)) {
        m_error = "mkdtemp failed";
        return;
    }
    m_root = name;
    std::error_code e;
    for (const std::string& dir : {programDir(), runtimeDir(), configDir()}) fs::create_directory(dir, e);
    fs::permissions(runtimeDir(), fs::perms::owner_all, e);
    if (!fs::copy_file(Binary, binary(), e)) m_error = "cannot copy " + std::string(Binary) + ": " + e.message();
}

ProgramDirectory::~ProgramDirectory()
{
    if (m_root.empty()) return;
    // Tests make parts of the tree read-only; give the write bits back first.
    std::error_code e;
    for (const auto& entry : fs::recursive_directory_iterator(m_root, e))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, e);
    fs::remove_all(m_root, e);
}

bool ProgramDirectory::writeSettings(const std::string& text) const
{
    std::ofstream out(settingsPath(), std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

std::optional<std::string> ProgramDirectory::settings() const
{
    std::ifstream in(settingsPath(), std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> ProgramDirectory::entries(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code e;
    for (const auto& entry : fs::directory_iterator(dir, e)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// --- the program ----------------------------------------------------------------

RunningProgram::RunningProgram(Xvfb& server, const ProgramDirectory& directory, const std::vector<std::string>& args)
    : m_server(server)
{
    // A keeper the program starts at its end must come back here to be reaped.
    int already = 0;
    ::prctl(PR_GET_CHILD_SUBREAPER, &already);
    m_subreaper = !already && ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;

    const auto environment = environmentWith({
        {"DISPLAY", server.displayName()},
        // The program refuses a Wayland session; the test's own session has
        // nothing to do with the private server.
        {"WAYLAND_DISPLAY", std::nullopt},
        {"XDG_SESSION_TYPE", std::nullopt},
        {"XDG_RUNTIME_DIR", directory.runtimeDir()},
        {"XDG_CONFIG_HOME", directory.configDir()},
        {"TINTORA_TRACE_READOUTS", "1"},
    });
    m_process = std::make_unique<ChildProcess>(directory.binary(), std::vector<std::string>(args), environment,
                                               m_errors.path(), m_output.path());
}

RunningProgram::~RunningProgram()
{
    // The normal close may hand a copied colour to a keeper first.
    m_process->stop(ProgramExitTimeout);
    for (pid_t keeper : keeperChildren()) {
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

bool RunningProgram::traceShows(const std::string& text, std::chrono::milliseconds timeout) const
{
    return waitUntil(timeout, [&] { return trace().find(text) != std::string::npos; });
}

std::string RunningProgram::transcript() const { return "trace:\n" + trace() + "stderr:\n" + errors(); }

// --- keyboard -------------------------------------------------------------------

Keyboard::Keyboard(Xvfb& server) : m_server(server) {}

Keyboard::~Keyboard()
{
    while (!m_held.empty()) release(m_held.back());
}

bool Keyboard::send(const std::string& keysym, bool down)
{
    Display* d = m_server.display();
    if (!d) return false;
    const KeySym sym = XStringToKeysym(keysym.c_str());
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
    if (code == 0) return false;
    const bool sent = XTestFakeKeyEvent(d, code, down ? True : False, CurrentTime);
    XSync(d, False);
    return sent;
}

bool Keyboard::press(const std::string& keysym)
{
    if (!send(keysym, true)) return false;
    m_held.push_back(keysym);
    return true;
}

bool Keyboard::release(const std::string& keysym)
{
    const auto held = std::find(m_held.rbegin(), m_held.rend(), keysym);
    if (held != m_held.rend()) m_held.erase(std::next(held).base());
    return send(keysym, false);
}

bool Keyboard::tap(const std::vector<std::string>& chord)
{
    bool ok = true;
    for (const std::string& key : chord) ok = press(key) && ok;
    for (auto key = chord.rbegin(); key != chord.rend(); ++key) ok = release(*key) && ok;
    return ok;
}

// --- server helpers -------------------------------------------------------------

bool loadIdentityRamp(Xvfb& server)
{
    RampTable ramp{};
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint16_t>(i * 257);
    return server.setGammaRamp(ramp, ramp, ramp);
}

std::optional<std::string> pasteClipboard(const Xvfb& server)
{
    TempFile output;
    ChildProcess xclip("xclip", {"-o", "-selection", "clipboard"}, environmentWith({{"DISPLAY", server.displayName()}}),
                       {}, output.path());
    const auto status = xclip.waitForExit(std::chrono::milliseconds(5000));
    if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0) return std::nullopt;
    return output.contents();
}

std::optional<std::string> waitForClipboard(const Xvfb& server, const std::string& expected,
                                            std::chrono::milliseconds timeout)
{
    std::optional<std::string> last;
    waitUntil(timeout, [&] {
        last = pasteClipboard(server);
        return last == expected;
    });
    return last;
}

std::vector<TopLevel> topLevelsNamed(Xvfb& server, const std::string& name)
{
    Display* d = server.display();
    std::vector<TopLevel> found;
    if (!d) return found;
    IgnoreErrors ignore(d);
    const Window root = DefaultRootWindow(d);
    const Atom netWmName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    auto examine = [&](Window w) {
        TopLevel t;
        t.id = w;
        t.wmName = textProperty(d, w, XA_WM_NAME, AnyPropertyType);
        t.netWmName = textProperty(d, w, netWmName, utf8);
        if (t.wmName != name && t.netWmName != name) return;
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return;
        Window child = None;
        if (!XTranslateCoordinates(d, w, root, 0, 0, &t.rect.x, &t.rect.y, &child)) return;
        t.rect.width = a.width;
        t.rect.height = a.height;
        found.push_back(t);
    };
    for (Window top : childrenOf(d, root)) {
        examine(top);
        for (Window inner : childrenOf(d, top)) examine(inner);
    }
    return found;
}

bool hasFocus(Xvfb& server, unsigned long window)
{
    Display* d = server.display();
    if (!d) return false;
    IgnoreErrors ignore(d);
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    const Window root = DefaultRootWindow(d);
    for (Window w = focus; w != None && w != PointerRoot && w != root;) {
        if (w == window) return true;
        Window r = None, parent = None, *list = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, w, &r, &parent, &list, &count)) return false;
        if (list) XFree(list);
        w = parent;
    }
    return false;
}

std::optional<Screenshot> Screenshot::take(Xvfb& server, Rect rect)
{
    Display* d = server.display();
    if (!d || rect.isEmpty() || intersected(rect, server.rootRect()) != rect) return std::nullopt;
    IgnoreErrors ignore(d);
    XImage* image = XGetImage(d, DefaultRootWindow(d), rect.x, rect.y, static_cast<unsigned>(rect.width),
                              static_cast<unsigned>(rect.height), AllPlanes, ZPixmap);
    if (!image) return std::nullopt;
    const Visual* visual = DefaultVisual(d, DefaultScreen(d));
    Screenshot shot;
    shot.m_rect = rect;
    shot.m_pixels.reserve(static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height));
    for (int y = 0; y < rect.height; ++y)
        for (int x = 0; x < rect.width; ++x) shot.m_pixels.push_back(colourOf(XGetPixel(image, x, y), visual));
    XDestroyImage(image);
    return shot;
}

std::string savePng(const Screenshot& shot, const std::string& png)
{
    const std::string ppm = png.substr(0, png.size() - 4) + ".ppm";
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << shot.rect().width << ' ' << shot.rect().height << "\n255\n";
        for (int y = 0; y < shot.rect().height; ++y)
            for (int x = 0; x < shot.rect().width; ++x) {
                const Colour c = shot.at({x, y});
                out.put(static_cast<char>(c.r)).put(static_cast<char>(c.g)).put(static_cast<char>(c.b));
            }
        if (!out) return "cannot write " + ppm;
    }
    ChildProcess convert("convert", {ppm, png}, environmentWith({}));
    const auto status = convert.waitForExit(20000ms);
    std::filesystem::remove(ppm);
    if (!status || *status != 0) return "convert failed for " + png;
    return {};
}

} // namespace tintora::test
