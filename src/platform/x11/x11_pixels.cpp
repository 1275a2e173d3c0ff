#include "platform/x11/x11_pixels.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>

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

} // namespace

X11Pixels::X11Pixels(std::shared_ptr<X11Layout> layout)
    : m_layout(std::move(layout)),
      m_display(m_layout->connection()->display()),
      m_root(m_layout->connection()->root()),
      m_visual(DefaultVisual(m_display, m_layout->connection()->screen())),
      m_depth(DefaultDepth(m_display, m_layout->connection()->screen()))
{
    const auto r = channelOf(m_visual->red_mask);
    const auto g = channelOf(m_visual->green_mask);
    const auto b = channelOf(m_visual->blue_mask);
    m_red = {r.shift, r.bits};
    m_green = {g.shift, g.bits};
    m_blue = {b.shift, b.bits};

    int shmMajor = 0, shmMinor = 0;
    Bool pixmaps = False;
    m_hasShm = XShmQueryVersion(m_display, &shmMajor, &shmMinor, &pixmaps);
    m_shm.shmid = -1;
    m_shm.shmaddr = nullptr;
}

X11Pixels::~X11Pixels() { releaseShmSegment(); }

std::uint32_t X11Pixels::toRgb32(unsigned long pixel) const
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

ColourValue X11Pixels::pixel(Point p)
{
    m_layout->refreshIfChanged();
    // A point that no monitor shows has no pixel: the root window's contents
    // there are undefined.
    const std::vector<Rect>& shown = m_layout->shown();
    if (std::none_of(shown.begin(), shown.end(), [p](const Rect& m) { return m.contains(p); })) return InvalidColour;

    ErrorTrap trap(m_display);
    ImagePtr image(XGetImage(m_display, m_root, p.x, p.y, 1, 1, AllPlanes, ZPixmap));
    if (!image || trap.failed()) return InvalidColour;
    const std::uint32_t rgb = toRgb32(XGetPixel(image.get(), 0, 0));
    // 0x00RRGGBB to the colour value layout, red in the low byte.
    return colourValueFromImagePixel(rgb);
}

bool X11Pixels::ensureShmSegment(std::size_t bytes)
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

void X11Pixels::releaseShmSegment()
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

XImage* X11Pixels::shmImage(int width, int height)
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

void X11Pixels::releaseShmImage()
{
    if (!m_shmImage) return;
    m_shmImage->data = nullptr; // the segment is not the image's to free
    XDestroyImage(m_shmImage);
    m_shmImage = nullptr;
}

bool X11Pixels::grab(Rect rect, ScreenImage& image)
{
    m_layout->refreshIfChanged();
    resizeImage(image, rect.width, rect.height);
    const Rect clipped = intersected(rect, m_layout->rootRect());
    if (clipped.isEmpty() || !grabInto(clipped, rect, image)) {
        clearImage(image);
        return image.pixels.empty();
    }
    // Off the root, and where monitors of different sizes leave parts of it
    // bare, the image stays black, as pixel() reads nothing there.
    blackOutside(image, {rect.x, rect.y}, m_layout->shown());
    return true;
}

bool X11Pixels::grabInto(const Rect& clipped, const Rect& wanted, ScreenImage& image)
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
