#include "platform/x11/x11_screen.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/gamma_ramp.h"
#include "platform/screen_image.h"

namespace tintora::x11 {

namespace {

// Channel position and width from a visual's mask.
auto channelOf(unsigned long mask)
{
    struct {
        int shift = 0;
        int bits = 0;
    } c;
    if (mask == 0) return c;
    while (!(mask & 1ul)) {
        mask >>= 1;
        ++c.shift;
    }
    while (mask & 1ul) {
        mask >>= 1;
        ++c.bits;
    }
    return c;
}

struct ImageDeleter {
    void operator()(XImage* image) const
    {
        if (image) XDestroyImage(image);
    }
};
using ImagePtr = std::unique_ptr<XImage, ImageDeleter>;

struct ResourcesDeleter {
    void operator()(XRRScreenResources* r) const
    {
        if (r) XRRFreeScreenResources(r);
    }
};
struct CrtcInfoDeleter {
    void operator()(XRRCrtcInfo* c) const
    {
        if (c) XRRFreeCrtcInfo(c);
    }
};
struct GammaDeleter {
    void operator()(XRRCrtcGamma* g) const
    {
        if (g) XRRFreeGamma(g);
    }
};
struct OutputInfoDeleter {
    void operator()(XRROutputInfo* o) const
    {
        if (o) XRRFreeOutputInfo(o);
    }
};
struct MonitorsDeleter {
    void operator()(XRRMonitorInfo* m) const
    {
        if (m) XRRFreeMonitors(m);
    }
};

long overlapArea(const Rect& a, const Rect& b)
{
    const Rect r = intersected(a, b);
    return static_cast<long>(r.width) * r.height;
}

// Reads a CARDINAL array property of the root window.
std::vector<long> cardinals(Display* display, Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 32) {
        // Format 32 properties come back as an array of long.
        const long* p = reinterpret_cast<const long*>(data);
        values.assign(p, p + count);
    }
    if (data) XFree(data);
    return values;
}

} // namespace

X11Screen::X11Screen(std::shared_ptr<Connection> connection)
    : m_connection(std::move(connection)),
      m_display(m_connection->display()),
      m_root(m_connection->root()),
      m_visual(DefaultVisual(m_display, m_connection->screen())),
      m_depth(DefaultDepth(m_display, m_connection->screen()))
{
    const auto r = channelOf(m_visual->red_mask);
    const auto g = channelOf(m_visual->green_mask);
    const auto b = channelOf(m_visual->blue_mask);
    m_red = {r.shift, r.bits};
    m_green = {g.shift, g.bits};
    m_blue = {b.shift, b.bits};

    int errorBase = 0, major = 0, minor = 0;
    if (XRRQueryExtension(m_display, &m_randrEventBase, &errorBase) && XRRQueryVersion(m_display, &major, &minor))
        m_hasRandr12 = major > 1 || (major == 1 && minor >= 2);
    if (m_hasRandr12) {
        // Layout changes arrive as events on this connection; the layout is
        // read again only then, so a tick costs no extra round trips.
        // The server keeps the first selection and ignores any later one, so
        // the display profiles' output property notices are selected here
        // too (they are rare).
        XRRSelectInput(m_display, m_root,
                       RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputPropertyNotifyMask);
        m_profiles = std::make_unique<X11Profiles>(m_connection, m_randrEventBase);
        m_listenerId = m_connection->addEventListener([this](XEvent& event) {
            if (m_profiles->handleEvent(event)) return true;
            if (event.type != m_randrEventBase + RRScreenChangeNotify && event.type != m_randrEventBase + RRNotify)
                return false;
            XRRUpdateConfiguration(&event);
            m_layoutKnown = false;
            return true;
        });
    }

    int shmMajor = 0, shmMinor = 0;
    Bool pixmaps = False;
    m_hasShm = XShmQueryVersion(m_display, &shmMajor, &shmMinor, &pixmaps);
    m_shm.shmid = -1;
    m_shm.shmaddr = nullptr;
}

X11Screen::~X11Screen()
{
    m_connection->removeEventListener(m_listenerId);
    releaseShmSegment();
}

void X11Screen::refreshLayoutIfChanged()
{
    // Any RandR notification among the pending events means monitors or
    // CRTCs changed; the listener marks the layout unknown.
    m_connection->pumpEvents();
    if (!m_layoutKnown) readLayout();
}

void X11Screen::readLayout()
{
    m_layoutKnown = true;
    m_crtcs.clear();
    m_monitors.clear();

    if (m_hasRandr12) {
        ErrorTrap trap(m_display);
        std::unique_ptr<XRRScreenResources, ResourcesDeleter> res(XRRGetScreenResourcesCurrent(m_display, m_root));
        if (res) {
            for (int i = 0; i < res->ncrtc; ++i) {
                std::unique_ptr<XRRCrtcInfo, CrtcInfoDeleter> info(XRRGetCrtcInfo(m_display, res.get(), res->crtcs[i]));
                if (!info || info->mode == None || info->width == 0 || info->height == 0) continue;
                Crtc crtc;
                crtc.id = res->crtcs[i];
                crtc.rect = {info->x, info->y, static_cast<int>(info->width), static_cast<int>(info->height)};
                crtc.gammaSize = XRRGetCrtcGammaSize(m_display, crtc.id);
                if (info->noutput > 0) {
                    std::unique_ptr<XRROutputInfo, OutputInfoDeleter> output(
                        XRRGetOutputInfo(m_display, res.get(), info->outputs[0]));
                    if (output && output->name) crtc.output.assign(output->name, static_cast<std::size_t>(output->nameLen));
                    crtc.outputId = info->outputs[0];
                }
                m_crtcs.push_back(crtc);
            }
        }

        int count = 0;
        std::unique_ptr<XRRMonitorInfo, MonitorsDeleter> mons(XRRGetMonitors(m_display, m_root, True, &count));
        for (int i = 0; mons && i < count; ++i) {
            const Rect r{mons.get()[i].x, mons.get()[i].y, mons.get()[i].width, mons.get()[i].height};
            if (mons.get()[i].primary)
                m_monitors.insert(m_monitors.begin(), r);
            else
                m_monitors.push_back(r);
        }
        if (trap.failed()) m_monitors.clear();
    }
    if (m_monitors.empty())
        for (const Crtc& c : m_crtcs) m_monitors.push_back(c.rect);
    if (m_monitors.empty()) m_monitors.push_back(rootRect());
    if (m_profiles) {
        std::vector<ShownOutput> shown;
        for (const Crtc& c : m_crtcs) shown.push_back({c.rect, c.outputId, c.output});
        m_profiles->outputsChanged(std::move(shown));
    }

    // What the root has no pixels for, no monitor shows either.
    m_shown.clear();
    for (const Rect& m : m_monitors) {
        const Rect onRoot = intersected(m, rootRect());
        if (!onRoot.isEmpty()) m_shown.push_back(onRoot);
    }
}

Rect X11Screen::rootRect() const
{
    const int s = m_connection->screen();
    return {0, 0, DisplayWidth(m_display, s), DisplayHeight(m_display, s)};
}

std::uint32_t X11Screen::toRgb32(unsigned long pixel) const
{
    auto level = [pixel](const ChannelFormat& c) -> std::uint32_t {
        if (c.bits == 0) return 0;
        const unsigned long v = (pixel >> c.shift) & ((1ul << c.bits) - 1ul);
        // Keep the top 8 bits of wider channels, widen narrower ones.
        if (c.bits >= 8) return static_cast<std::uint32_t>(v >> (c.bits - 8));
        return static_cast<std::uint32_t>((v * 255ul) / ((1ul << c.bits) - 1ul));
    };
    return imagePixelFromLevels(level(m_red), level(m_green), level(m_blue));
}

ColourValue X11Screen::pixel(Point p)
{
    refreshLayoutIfChanged();
    // A point that no monitor shows has no pixel: the root window's contents
    // there are undefined.
    if (std::none_of(m_shown.begin(), m_shown.end(), [p](const Rect& m) { return m.contains(p); }))
        return InvalidColour;

    ErrorTrap trap(m_display);
    ImagePtr image(XGetImage(m_display, m_root, p.x, p.y, 1, 1, AllPlanes, ZPixmap));
    if (!image || trap.failed()) return InvalidColour;
    const std::uint32_t rgb = toRgb32(XGetPixel(image.get(), 0, 0));
    // 0x00RRGGBB to the colour value layout, red in the low byte.
    return colourValueFromImagePixel(rgb);
}

bool X11Screen::canReadGammaRamp()
{
    refreshLayoutIfChanged();
    return std::any_of(m_crtcs.begin(), m_crtcs.end(), [](const Crtc& c) { return c.gammaSize >= 2; });
}

const X11Screen::Crtc* X11Screen::crtcAt(Point p) const
{
    if (m_crtcs.empty()) return nullptr;
    auto it = std::find_if(m_crtcs.begin(), m_crtcs.end(), [p](const Crtc& c) { return c.rect.contains(p); });
    return it != m_crtcs.end() ? &*it : &m_crtcs.front();
}

bool X11Screen::readRamp(const Crtc& crtc, GammaTable& ramp)
{
    if (crtc.gammaSize < 2) return false;
    ErrorTrap trap(m_display);
    std::unique_ptr<XRRCrtcGamma, GammaDeleter> gamma(XRRGetCrtcGamma(m_display, crtc.id));
    // A CRTC that has gone since the layout was read fails here once: the
    // server's notice of the change reads the layout again. A failure that
    // lasts costs no new layout every tick.
    if (!gamma || trap.failed() || gamma->size < 2) return false;
    if (gamma->size == 256) {
        std::copy_n(gamma->red, 256, ramp.begin());
        std::copy_n(gamma->green, 256, ramp.begin() + 256);
        std::copy_n(gamma->blue, 256, ramp.begin() + 512);
    } else {
        resampleRamp(gamma->red, gamma->green, gamma->blue, gamma->size, ramp);
    }
    return true;
}

bool X11Screen::rampAt(Point p, RampReading& reading)
{
    refreshLayoutIfChanged();
    const Crtc* crtc = crtcAt(p);
    if (!crtc || !readRamp(*crtc, reading.ramp)) return false;
    // The layout is kept between its changes: the name costs no request.
    reading.output = crtc->output;
    reading.size = crtc->gammaSize;
    return true;
}

bool X11Screen::profileAt(Point p, PublishedProfile& profile)
{
    refreshLayoutIfChanged();
    const Crtc* crtc = crtcAt(p);
    if (!crtc || !m_profiles) return false;
    // Each look-up only pairs the point with what was read after the last
    // notice: no request between changes.
    m_profiles->fillAt(p, crtc->outputId, crtc->output, profile);
    return true;
}

std::vector<PublishedProfile> X11Screen::allProfiles()
{
    refreshLayoutIfChanged();
    return m_profiles ? m_profiles->all() : std::vector<PublishedProfile>{};
}

std::vector<RampReading> X11Screen::allRamps()
{
    refreshLayoutIfChanged();
    std::vector<RampReading> ramps;
    // readRamp may find the layout gone; the CRTCs read so far are kept.
    const std::vector<Crtc> crtcs = m_crtcs;
    for (const Crtc& crtc : crtcs) {
        RampReading reading;
        if (!readRamp(crtc, reading.ramp)) continue;
        reading.output = crtc.output;
        reading.size = crtc.gammaSize;
        ramps.push_back(std::move(reading));
    }
    return ramps;
}

bool X11Screen::ensureShmSegment(std::size_t bytes)
{
    if (m_shm.shmaddr && m_shmBytes >= bytes) return true;
    releaseShmSegment();
    m_shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (m_shm.shmid < 0) return false;
    void* addr = shmat(m_shm.shmid, nullptr, 0);
    // Marked for removal now: the segment goes away with the last detach,
    // even if the program dies.
    shmctl(m_shm.shmid, IPC_RMID, nullptr);
    if (addr == reinterpret_cast<void*>(-1)) {
        m_shm.shmid = -1;
        return false;
    }
    m_shm.shmaddr = static_cast<char*>(addr);
    m_shm.readOnly = False;
    ErrorTrap trap(m_display);
    XShmAttach(m_display, &m_shm);
    if (trap.failedAfterSync()) {
        // A server on another machine cannot share memory with us.
        shmdt(m_shm.shmaddr);
        m_shm.shmaddr = nullptr;
        m_shm.shmid = -1;
        m_hasShm = false;
        return false;
    }
    m_shmBytes = bytes;
    return true;
}

void X11Screen::releaseShmSegment()
{
    releaseShmImage();
    if (!m_shm.shmaddr) return;
    XShmDetach(m_display, &m_shm);
    XSync(m_display, False);
    shmdt(m_shm.shmaddr);
    m_shm.shmaddr = nullptr;
    m_shm.shmid = -1;
    m_shmBytes = 0;
}

XImage* X11Screen::shmImage(int width, int height)
{
    if (m_shmImage && m_shmImage->width == width && m_shmImage->height == height) return m_shmImage;
    releaseShmImage();
    XImage* image = XShmCreateImage(m_display, m_visual, static_cast<unsigned>(m_depth), ZPixmap, nullptr, &m_shm,
                                    static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image) return nullptr;
    // A larger segment replaces the old one; the image only points at it.
    if (!ensureShmSegment(static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height))) {
        XDestroyImage(image);
        return nullptr;
    }
    image->data = m_shm.shmaddr;
    m_shmImage = image;
    return m_shmImage;
}

void X11Screen::releaseShmImage()
{
    if (!m_shmImage) return;
    m_shmImage->data = nullptr; // the segment is not the image's to free
    XDestroyImage(m_shmImage);
    m_shmImage = nullptr;
}

bool X11Screen::grab(Rect rect, ScreenImage& image)
{
    refreshLayoutIfChanged();
    resizeImage(image, rect.width, rect.height);
    const Rect clipped = intersected(rect, rootRect());
    if (clipped.isEmpty() || !grabInto(clipped, rect, image)) {
        clearImage(image);
        return image.pixels.empty();
    }
    // Off the root, and where monitors of different sizes leave parts of it
    // bare, the image stays black, as pixel() reads nothing there.
    blackOutside(image, {rect.x, rect.y}, m_shown);
    return true;
}

bool X11Screen::grabInto(const Rect& clipped, const Rect& wanted, ScreenImage& image)
{
    ErrorTrap trap(m_display);
    XImage* xi = nullptr;
    ImagePtr owned; // a plain GetImage's, freed with its data
    if (m_hasShm) {
        // ensureShmSegment may find that the server cannot share memory.
        xi = shmImage(clipped.width, clipped.height);
        if (xi && (!XShmGetImage(m_display, m_root, xi, clipped.x, clipped.y, AllPlanes) || trap.failed())) xi = nullptr;
    }
    if (!xi) {
        owned.reset(XGetImage(m_display, m_root, clipped.x, clipped.y, static_cast<unsigned>(clipped.width),
                              static_cast<unsigned>(clipped.height), AllPlanes, ZPixmap));
        if (!owned || trap.failed()) return false;
        xi = owned.get();
    }

    const Point at{clipped.x - wanted.x, clipped.y - wanted.y};
    const bool plain32 = xi->bits_per_pixel == 32 && m_red.shift == 16 && m_red.bits == 8 && m_green.shift == 8 &&
                         m_green.bits == 8 && m_blue.shift == 0 && m_blue.bits == 8 &&
                         xi->byte_order == LSBFirst;
    if (plain32) {
        // Rows of 32-bit pixels are padded to whole pixels.
        copyBlock(image, at, reinterpret_cast<const std::uint32_t*>(xi->data),
                  static_cast<std::size_t>(xi->bytes_per_line) / 4, clipped.width, clipped.height);
        return true;
    }
    for (int y = 0; y < clipped.height; ++y) {
        std::uint32_t* out = image.pixels.data() + static_cast<std::size_t>(y + at.y) * image.width + at.x;
        for (int x = 0; x < clipped.width; ++x) out[x] = toRgb32(XGetPixel(xi, x, y));
    }
    return true;
}

Rect X11Screen::virtualDesktop()
{
    refreshLayoutIfChanged();
    Rect r = m_monitors.front();
    for (const Rect& m : m_monitors) {
        const int l = std::min(r.left(), m.left()), t = std::min(r.top(), m.top());
        const int rt = std::max(r.right(), m.right()), b = std::max(r.bottom(), m.bottom());
        r = {l, t, rt - l, b - t};
    }
    return r;
}

std::vector<Rect> X11Screen::monitors()
{
    refreshLayoutIfChanged();
    return m_monitors;
}

Rect X11Screen::workAreaOfMonitor(const Rect& monitor)
{
    // Per-monitor work areas (GTK-based window managers) first.
    const std::vector<long> desktop = cardinals(m_display, m_root, m_connection->atom("_NET_CURRENT_DESKTOP"));
    const long current = desktop.empty() ? 0 : desktop.front();
    const std::string gtkName = "_GTK_WORKAREAS_D" + std::to_string(current);
    const std::vector<long> gtk = cardinals(m_display, m_root, m_connection->atom(gtkName.c_str()));
    Rect best;
    long bestArea = 0;
    for (std::size_t i = 0; i + 3 < gtk.size(); i += 4) {
        const Rect r{static_cast<int>(gtk[i]), static_cast<int>(gtk[i + 1]), static_cast<int>(gtk[i + 2]),
                     static_cast<int>(gtk[i + 3])};
        const long area = overlapArea(r, monitor);
        if (area > bestArea) {
            best = intersected(r, monitor);
            bestArea = area;
        }
    }
    if (bestArea > 0) return best;

    const std::vector<long> wa = cardinals(m_display, m_root, m_connection->atom("_NET_WORKAREA"));
    const std::size_t at = static_cast<std::size_t>(current) * 4;
    if (at + 3 < wa.size()) {
        const Rect r{static_cast<int>(wa[at]), static_cast<int>(wa[at + 1]), static_cast<int>(wa[at + 2]),
                     static_cast<int>(wa[at + 3])};
        const Rect inMonitor = intersected(r, monitor);
        if (!inMonitor.isEmpty()) return inMonitor;
    }
    // No window manager: the whole monitor is usable.
    return monitor;
}

Rect X11Screen::primaryWorkArea()
{
    refreshLayoutIfChanged();
    return workAreaOfMonitor(m_monitors.front());
}

Rect X11Screen::workAreaAt(Point p)
{
    refreshLayoutIfChanged();
    const Rect* nearest = &m_monitors.front();
    long nearestDistance = -1;
    for (const Rect& m : m_monitors) {
        if (m.contains(p)) return workAreaOfMonitor(m);
        const long dx = p.x < m.left() ? m.left() - p.x : p.x >= m.right() ? p.x - m.right() + 1 : 0;
        const long dy = p.y < m.top() ? m.top() - p.y : p.y >= m.bottom() ? p.y - m.bottom() + 1 : 0;
        const long d = dx * dx + dy * dy;
        if (nearestDistance < 0 || d < nearestDistance) {
            nearestDistance = d;
            nearest = &m;
        }
    }
    return workAreaOfMonitor(*nearest);
}

std::string unreadableDisplayReason(Display* display, int screen)
{
    const Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    const int visualClass = visual->c_class;
    if ((visualClass == TrueColor || visualClass == DirectColor) && visual->red_mask && visual->green_mask &&
        visual->blue_mask)
        return {};
    const char* kind = visualClass == PseudoColor ? "PseudoColor"
                       : visualClass == StaticColor ? "StaticColor"
                       : visualClass == GrayScale   ? "GrayScale"
                       : visualClass == StaticGray  ? "StaticGray"
                                                    : "colour-mapped";
    return "The display \"" + std::string(DisplayString(display)) + "\" shows " + std::to_string(depth) + "-bit " +
           kind +
           " colour: its pixels are colour-map entries, not colours, so Tintora would read nothing but wrong "
           "values. Run the X server in TrueColor, at depth 24 (for Xvfb: -screen 0 1920x1080x24).";
}

} // namespace tintora::x11
