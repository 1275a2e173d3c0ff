#include "support/xvfb.h"
#include "support/xlib_helpers.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace tintora::test {

namespace {

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

// --- the server ---------------------------------------------------------------

Xvfb::Xvfb() : Xvfb(Options{}) {}

Xvfb::Xvfb(Options options) : m_options(options)
{
    // Start somewhere that depends on the process, so test programs running
    // side by side (ctest -j) rarely try the same numbers. A number taken in
    // the meantime makes the server fail, or (when the other one won the
    // race) shows in the lock file; then the next one is tried.
    int number = 100 + static_cast<int>(::getpid() % 400) * 2;
    std::string why;
    for (int attempt = 0; attempt < 8 && !running(); ++attempt, ++number) {
        while (exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
               exists("/tmp/.X" + std::to_string(number) + "-lock"))
            ++number;
        if (start(number, why)) return;
        m_error += (m_error.empty() ? "" : "\n") + std::string(":") + std::to_string(number) + ": " + why;
    }
    if (!running()) m_error = "no private X server could be started:\n" + m_error;
}

bool Xvfb::start(int number, std::string& why)
{
    const std::string name = ":" + std::to_string(number);
    m_log.emplace();
    const std::string screen = std::to_string(m_options.width) + "x" + std::to_string(m_options.height) + "x" +
                               std::to_string(m_options.depth);
    const std::string program = m_options.xorgConfig.empty() ? "Xvfb" : "Xorg";
    std::vector<std::string> args{name, "-noreset", "-nolisten", "tcp"};
    if (m_options.xorgConfig.empty()) {
        args.insert(args.end(), {"-screen", "0", screen});
    } else {
        m_xorgLog.emplace();
        args.insert(args.end(), {"-config", m_options.xorgConfig, "-logfile", m_xorgLog->path()});
    }
    m_server.emplace(program, args, environmentWith({}), m_log->path());
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
        why = ended ? program + " ended: " + m_log->contents() : program + " did not answer in time";
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
    m_xorgLog.reset();
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

std::vector<std::string> Xvfb::clientEnvironment(const EnvironmentChanges& changes) const
{
    EnvironmentChanges all{
        {"DISPLAY", m_name},
        // A program refuses a Wayland session; the test's own session has
        // nothing to do with the private server.
        {"WAYLAND_DISPLAY", std::nullopt},
        {"XDG_SESSION_TYPE", std::nullopt},
    };
    for (const auto& [name, value] : changes) all[name] = value;
    return environmentWith(all);
}

bool Xvfb::runClient(const std::string& tool, const std::vector<std::string>& args,
                     std::chrono::milliseconds timeout) const
{
    ChildProcess child(tool, args, clientEnvironment());
    return exitCode(child.waitForExit(timeout)) == 0;
}

int Xvfb::gammaSize()
{
    if (!m_display) return 0;
    XErrorTrap trap(m_display);
    const RRCrtc crtc = firstActiveCrtc(m_display);
    const int size = crtc ? XRRGetCrtcGammaSize(m_display, crtc) : 0;
    return trap.failedAfterSync() ? 0 : size;
}

bool Xvfb::setGammaRamp(const RampTable& red, const RampTable& green, const RampTable& blue)
{
    if (!m_display) return false;
    XErrorTrap trap(m_display);
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
    XErrorTrap trap(m_display);
    ImagePtr image(XGetImage(m_display, DefaultRootWindow(m_display), p.x, p.y, 1, 1, AllPlanes, ZPixmap));
    if (!image || trap.failedAfterSync()) return std::nullopt;
    return colourOf(XGetPixel(image.get(), 0, 0), DefaultVisual(m_display, DefaultScreen(m_display)));
}

std::optional<TopLevel> Xvfb::findTopLevel(const std::string& name)
{
    const std::vector<TopLevel> found = topLevelsNamed(*this, name);
    if (found.empty()) return std::nullopt;
    return found.front();
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

// --- the server as a user meets it ----------------------------------------------

RampTable identityRamp()
{
    RampTable ramp{};
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint16_t>(i * 257);
    return ramp;
}

bool loadIdentityRamp(Xvfb& server)
{
    const RampTable ramp = identityRamp();
    return server.setGammaRamp(ramp, ramp, ramp);
}

std::vector<TopLevel> topLevelsNamed(Xvfb& server, const std::string& name)
{
    Display* d = server.display();
    std::vector<TopLevel> found;
    if (!d) return found;
    XErrorTrap trap(d);
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
    XErrorTrap trap(d);
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

std::optional<std::string> pasteClipboard(const Xvfb& server)
{
    TempFile output;
    ChildProcess xclip("xclip", {"-o", "-selection", "clipboard"}, server.clientEnvironment(), {}, output.path());
    if (exitCode(xclip.waitForExit(5000ms)) != 0) return std::nullopt;
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

// --- screenshots --------------------------------------------------------------

std::optional<Screenshot> Screenshot::take(Xvfb& server, Rect rect)
{
    Display* d = server.display();
    if (!d || rect.isEmpty() || intersected(rect, server.rootRect()) != rect) return std::nullopt;
    XErrorTrap trap(d);
    ImagePtr image(XGetImage(d, DefaultRootWindow(d), rect.x, rect.y, static_cast<unsigned>(rect.width),
                             static_cast<unsigned>(rect.height), AllPlanes, ZPixmap));
    if (!image) return std::nullopt;
    const Visual* visual = DefaultVisual(d, DefaultScreen(d));
    Screenshot shot;
    shot.m_rect = rect;
    shot.m_pixels.reserve(static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height));
    for (int y = 0; y < rect.height; ++y)
        for (int x = 0; x < rect.width; ++x) shot.m_pixels.push_back(colourOf(XGetPixel(image.get(), x, y), visual));
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
    if (exitCode(status) != 0) return "convert failed for " + png;
    return {};
}

} // namespace tintora::test
