#include "xlib_floor.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

// Large enough for the biggest block the magnifier grabs (403 x 403).
constexpr std::size_t SegmentBytes = 512u * 512u * 4u;

// The AND of every pixel of a block whose rows are stride words apart; as
// fast as the magnifier's own loops may be (the same vector clones, and the
// file is built with -O3 like the magnifier's geometry).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__)
__attribute__((target_clones("avx2", "default")))
#endif
std::uint32_t andOfBlock(const std::uint32_t* __restrict pixels, std::size_t stride, int width, int height)
{
    std::uint32_t all = 0xFFFFFFFFu;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* __restrict row = pixels + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) all &= row[x];
    }
    return all;
}

} // namespace

XlibFloor::XlibFloor(const std::string& displayName) : m_display(XOpenDisplay(displayName.c_str()))
{
    if (!m_display) return;
    // The backend reads the layout once and then only on change events, so
    // finding the CRTC is not part of the floor either.
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(m_display, DefaultRootWindow(m_display));
    for (int i = 0; res && i < res->ncrtc && !m_crtc; ++i) {
        XRRCrtcInfo* info = XRRGetCrtcInfo(m_display, res, res->crtcs[i]);
        if (info && info->mode != None && XRRGetCrtcGammaSize(m_display, res->crtcs[i]) > 0) m_crtc = res->crtcs[i];
        if (info) XRRFreeCrtcInfo(info);
    }
    if (res) XRRFreeScreenResources(res);

    if (!XShmQueryExtension(m_display)) return;
    m_shmId = shmget(IPC_PRIVATE, SegmentBytes, IPC_CREAT | 0600);
    if (m_shmId < 0) return;
    void* address = shmat(m_shmId, nullptr, 0);
    shmctl(m_shmId, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) return;
    auto* info = new XShmSegmentInfo{};
    info->shmid = m_shmId;
    info->shmaddr = static_cast<char*>(address);
    info->readOnly = False;
    XShmAttach(m_display, info);
    XSync(m_display, False);
    m_shmInfo = info;
    m_shmAddress = info->shmaddr;
    m_shmBytes = SegmentBytes;
}

XlibFloor::~XlibFloor()
{
    for (auto& [size, image] : m_images) {
        image->data = nullptr;
        XDestroyImage(image);
    }
    if (auto* info = static_cast<XShmSegmentInfo*>(m_shmInfo)) {
        if (m_display) XShmDetach(m_display, info);
        shmdt(info->shmaddr);
        delete info;
    }
    if (m_display) XCloseDisplay(m_display);
}

std::uint64_t XlibFloor::sample()
{
    const Window root = DefaultRootWindow(m_display);
    Window r = None, child = None;
    int x = 0, y = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    XQueryPointer(m_display, root, &r, &child, &x, &y, &wx, &wy, &mask);

    std::uint64_t result = 0;
    if (XImage* image = XGetImage(m_display, root, x, y, 1, 1, AllPlanes, ZPixmap)) {
        result = XGetPixel(image, 0, 0);
        XDestroyImage(image);
    }
    if (XRRCrtcGamma* gamma = XRRGetCrtcGamma(m_display, m_crtc)) {
        result ^= static_cast<std::uint64_t>(gamma->red[128]) << 32;
        XRRFreeGamma(gamma);
    }
    return result;
}

bool XlibFloor::prepareGrab(int width, int height)
{
    if (!ready()) return false;
    if (m_images.contains({width, height})) return true;
    const int screen = DefaultScreen(m_display);
    XImage* image = XShmCreateImage(m_display, DefaultVisual(m_display, screen),
                                    static_cast<unsigned>(DefaultDepth(m_display, screen)), ZPixmap, nullptr,
                                    static_cast<XShmSegmentInfo*>(m_shmInfo), static_cast<unsigned>(width),
                                    static_cast<unsigned>(height));
    if (!image) return false;
    if (static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(image->height) > m_shmBytes) {
        XDestroyImage(image);
        return false;
    }
    image->data = m_shmAddress;
    m_images[{width, height}] = image;
    return true;
}

std::uint32_t XlibFloor::grab(int x, int y, int width, int height)
{
    XImage* image = m_images.at({width, height});
    XShmGetImage(m_display, DefaultRootWindow(m_display), image, x, y, AllPlanes);
    return reinterpret_cast<const std::uint32_t*>(image->data)[0];
}

std::uint32_t XlibFloor::grabAndRead(int x, int y, int width, int height)
{
    XImage* image = m_images.at({width, height});
    XShmGetImage(m_display, DefaultRootWindow(m_display), image, x, y, AllPlanes);
    return andOfBlock(reinterpret_cast<const std::uint32_t*>(image->data),
                      static_cast<std::size_t>(image->bytes_per_line) / 4, width, height);
}
