#include "support/xvfb.h"
#include "support/xlib_helpers.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

extern char** environ;

namespace tintora::test {

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

std::vector<std::string> environmentWith(const std::map<std::string, std::optional<std::string>>& changes)
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

// --- child processes ----------------------------------------------------------

namespace {

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

std::vector<char*> cStrings(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

} // namespace

TempFile::TempFile()
{
    char name[] = "/tmp/tintora-test-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd >= 0) {
        ::close(fd);
        m_path = name;
    }
}

TempFile::~TempFile()
{
    if (!m_path.empty()) ::unlink(m_path.c_str());
}

std::string TempFile::contents() const
{
    std::ifstream in(m_path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& environment, const std::string& errorPath,
                           const std::string& outputPath)
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

    const pid_t pid = ::fork();
    if (pid < 0) {
        m_error = std::string("fork: ") + std::strerror(errno);
        return;
    }
    if (pid == 0) {
        // A test that crashes must not leave the child behind.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        ::setpgid(0, 0);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (in < 0 || out < 0 || err < 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execve(path.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    m_pid = pid;
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

// --- the server ---------------------------------------------------------------

namespace {

// While alive, X errors on any connection are counted instead of ending the
// process (a window may vanish between listing and asking about it).
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_display(display), m_previous(XSetErrorHandler(record)) { s_errors = 0; }
    ~ErrorTrap() { XSetErrorHandler(m_previous); }
    bool failedAfterSync()
    {
        XSync(m_display, False);
        return s_errors > 0;
    }

private:
    static int record(Display*, XErrorEvent*)
    {
        ++s_errors;
        return 0;
    }
    static inline int s_errors = 0;
    Display* m_display;
    int (*m_previous)(Display*, XErrorEvent*);
};

template <typename T, auto Free>
struct Deleter {
    void operator()(T* p) const
    {
        if (p) Free(p);
    }
};
using ResourcesPtr = std::unique_ptr<XRRScreenResources, Deleter<XRRScreenResources, XRRFreeScreenResources>>;
using CrtcInfoPtr = std::unique_ptr<XRRCrtcInfo, Deleter<XRRCrtcInfo, XRRFreeCrtcInfo>>;
using GammaPtr = std::unique_ptr<XRRCrtcGamma, Deleter<XRRCrtcGamma, XRRFreeGamma>>;
// XDestroyImage is a macro, so it gets a function of its own.
void destroyImage(XImage* image) { XDestroyImage(image); }
using ImagePtr = std::unique_ptr<XImage, Deleter<XImage, destroyImage>>;

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The pid a server wrote into its lock file, 0 when there is none.
pid_t lockOwner(int number)
{
    std::ifstream lock("/tmp/.X" + std::to_string(number) + "-lock");
    long pid = 0;
    return lock >> pid ? static_cast<pid_t>(pid) : 0;
}

// First CRTC with a mode: the one that shows the screen.
RRCrtc firstActiveCrtc(Display* d)
{
    ResourcesPtr res(XRRGetScreenResourcesCurrent(d, DefaultRootWindow(d)));
    if (!res) return 0;
    for (int i = 0; i < res->ncrtc; ++i) {
        CrtcInfoPtr info(XRRGetCrtcInfo(d, res.get(), res->crtcs[i]));
        if (info && info->mode != None) return res->crtcs[i];
    }
    return 0;
}

unsigned long channelBits(std::uint8_t level, unsigned long mask)
{
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1ul)) ++shift;
    const unsigned long max = mask >> shift;
    return ((static_cast<unsigned long>(level) * max + 127) / 255) << shift;
}

} // namespace

Xvfb::Xvfb() : Xvfb(Options{}) {}

Xvfb::Xvfb(Options options) : m_options(options)
{
    // Start somewhere that depends on the process, so parallel test programs
    // rarely try the same numbers; a number taken in the meantime makes the
    // server fail, and the next one is tried.
    int number = 100 + static_cast<int>(::getpid() % 400) * 2;
    std::string why;
    for (int attempt = 0; attempt < 8 && !running(); ++attempt, ++number) {
        while (exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
               exists("/tmp/.X" + std::to_string(number) + "-lock"))
            ++number;
        if (start(number, why)) return;
        m_error += (m_error.empty() ? "" : "\n") + std::string(":") + std::to_string(number) + ": " + why;
    }
    if (!running()) m_error = "no private Xvfb could be started:\n" + m_error;
}

bool Xvfb::start(int number, std::string& why)
{
    const std::string name = ":" + std::to_string(number);
    m_log.emplace();
    const std::string screen = std::to_string(m_options.width) + "x" + std::to_string(m_options.height) + "x" +
                               std::to_string(m_options.depth);
    m_server.emplace("Xvfb", std::vector<std::string>{name, "-screen", "0", screen, "-noreset", "-nolisten", "tcp"},
                     environmentWith({}), m_log->path());
    if (!m_server->pid()) {
        why = m_server->error();
        shutDown();
        return false;
    }

    const pid_t pid = m_server->pid();
    bool ended = false;
    waitUntil(m_options.startTimeout, [&] {
        if (!m_server->running()) {
            ended = true;
            return true;
        }
        m_display = XOpenDisplay(name.c_str());
        return m_display != nullptr;
    });
    // The connection must reach our server, not one that won a race for the
    // number: that one's pid would be in the lock file.
    if (m_display && lockOwner(number) != pid) {
        why = "display taken by another server";
    } else if (m_display) {
        m_name = name;
        return true;
    } else {
        why = ended ? "Xvfb ended: " + m_log->contents() : "Xvfb did not answer in time";
    }
    shutDown();
    return false;
}

void Xvfb::shutDown()
{
    if (m_display) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
    m_server.reset(); // stops and reaps
    m_log.reset();
}

Xvfb::~Xvfb() { shutDown(); }

void Xvfb::kill()
{
    if (m_display) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
    if (m_server && m_server->signal(SIGKILL)) m_server->waitForExit(m_options.startTimeout);
}

int Xvfb::gammaSize()
{
    if (!m_display) return 0;
    ErrorTrap trap(m_display);
    const RRCrtc crtc = firstActiveCrtc(m_display);
    const int size = crtc ? XRRGetCrtcGammaSize(m_display, crtc) : 0;
    return trap.failedAfterSync() ? 0 : size;
}

bool Xvfb::setGammaRamp(const RampTable& red, const RampTable& green, const RampTable& blue)
{
    if (!m_display) return false;
    ErrorTrap trap(m_display);
    const RRCrtc crtc = firstActiveCrtc(m_display);
    if (!crtc || XRRGetCrtcGammaSize(m_display, crtc) != 256) return false;
    GammaPtr gamma(XRRAllocGamma(256));
    if (!gamma) return false;
    std::copy(red.begin(), red.end(), gamma->red);
    std::copy(green.begin(), green.end(), gamma->green);
    std::copy(blue.begin(), blue.end(), gamma->blue);
    XRRSetCrtcGamma(m_display, crtc, gamma.get());
    if (trap.failedAfterSync()) return false;
    // Read back: the server must now hand out exactly these tables.
    GammaPtr now(XRRGetCrtcGamma(m_display, crtc));
    return now && now->size == 256 && std::equal(red.begin(), red.end(), now->red) &&
           std::equal(green.begin(), green.end(), now->green) && std::equal(blue.begin(), blue.end(), now->blue);
}

bool Xvfb::warpPointer(Point p)
{
    if (!m_display) return false;
    const Window root = DefaultRootWindow(m_display);
    XWarpPointer(m_display, None, root, 0, 0, 0, 0, p.x, p.y);
    return waitUntil(2000ms, [&] {
        Window r = None, child = None;
        int x = 0, y = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        return XQueryPointer(m_display, root, &r, &child, &x, &y, &wx, &wy, &mask) && x == p.x && y == p.y;
    });
}

std::optional<Colour> Xvfb::rootPixel(Point p)
{
    if (!m_display || !rootRect().contains(p)) return std::nullopt;
    ErrorTrap trap(m_display);
    ImagePtr image(XGetImage(m_display, DefaultRootWindow(m_display), p.x, p.y, 1, 1, AllPlanes, ZPixmap));
    if (!image || trap.failedAfterSync()) return std::nullopt;
    return colourOf(XGetPixel(image.get(), 0, 0), DefaultVisual(m_display, DefaultScreen(m_display)));
}

std::optional<TopLevel> Xvfb::findTopLevel(const std::string& name)
{
    if (!m_display) return std::nullopt;
    ErrorTrap trap(m_display);
    const Window root = DefaultRootWindow(m_display);
    const Atom netWmName = XInternAtom(m_display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(m_display, "UTF8_STRING", False);

    auto children = [&](Window parent) {
        Window r = None, p = None, *list = nullptr;
        unsigned int count = 0;
        std::vector<Window> out;
        if (XQueryTree(m_display, parent, &r, &p, &list, &count) && list) out.assign(list, list + count);
        if (list) XFree(list);
        return out;
    };
    auto examine = [&](Window w) -> std::optional<TopLevel> {
        TopLevel t;
        t.id = w;
        t.wmName = textProperty(m_display, w, XA_WM_NAME, AnyPropertyType);
        t.netWmName = textProperty(m_display, w, netWmName, utf8);
        if (t.wmName != name && t.netWmName != name) return std::nullopt;
        XWindowAttributes a{};
        if (!XGetWindowAttributes(m_display, w, &a) || a.map_state != IsViewable) return std::nullopt;
        Window child = None;
        if (!XTranslateCoordinates(m_display, w, root, 0, 0, &t.rect.x, &t.rect.y, &child)) return std::nullopt;
        t.rect.width = a.width;
        t.rect.height = a.height;
        return t;
    };
    // Without a window manager the windows are children of the root; with
    // one they sit one level down, in its frames.
    for (Window top : children(root)) {
        if (auto t = examine(top)) return t;
        for (Window inner : children(top))
            if (auto t = examine(inner)) return t;
    }
    return std::nullopt;
}

std::optional<TopLevel> Xvfb::waitForTopLevel(const std::string& name, std::chrono::milliseconds timeout,
                                              const std::function<bool(const TopLevel&)>& accept)
{
    std::optional<TopLevel> last;
    waitUntil(timeout, [&] {
        if (auto t = findTopLevel(name)) last = t;
        return last && (!accept || accept(*last));
    });
    return last;
}

// --- solid windows ------------------------------------------------------------

SolidWindow::SolidWindow(Xvfb& server, Rect rect, Colour colour) : m_server(server), m_rect(rect)
{
    Display* d = server.display();
    if (!d) return;
    const int screen = DefaultScreen(d);
    const Visual* v = DefaultVisual(d, screen);
    XSetWindowAttributes attrs{};
    attrs.background_pixel =
        channelBits(colour.r, v->red_mask) | channelBits(colour.g, v->green_mask) | channelBits(colour.b, v->blue_mask);
    attrs.border_pixel = 0;
    attrs.override_redirect = True;
    m_window = XCreateWindow(d, RootWindow(d, screen), rect.x, rect.y, static_cast<unsigned>(rect.width),
                             static_cast<unsigned>(rect.height), 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWBackPixel | CWBorderPixel | CWOverrideRedirect, &attrs);
    XMapRaised(d, m_window);
    XSync(d, False);
    const Point c = centre();
    m_shown = waitUntil(5000ms, [&] { return server.rootPixel(c) == colour; });
}

SolidWindow::~SolidWindow()
{
    Display* d = m_server.display();
    if (!d || !m_window) return;
    XDestroyWindow(d, m_window);
    XSync(d, False);
}

Colour colourOf(unsigned long pixel, const Visual* v)
{
    auto level = [pixel](unsigned long mask) -> std::uint8_t {
        if (mask == 0) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1ul)) ++shift;
        const unsigned long max = mask >> shift;
        return static_cast<std::uint8_t>((((pixel & mask) >> shift) * 255 + max / 2) / max);
    };
    return {level(v->red_mask), level(v->green_mask), level(v->blue_mask)};
}

std::string textProperty(Display* d, Window w, Atom property, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(d, w, property, 0, 1024, False, type, &actual, &format, &count, &after, &data) ==
            Success &&
        data && format == 8)
        text.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return text;
}

} // namespace tintora::test
