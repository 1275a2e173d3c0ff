#include "platform/wlroots/wlroots_screen.h"

#include <algorithm>
#include <cstring>

#include "platform/screen_image.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace tintora::wlroots {

namespace {

// A copy that takes longer than this has failed: the compositor answers a
// small region in well under a millisecond.
constexpr std::chrono::milliseconds CopyTimeout{500};
// Buffers of this many sizes are kept.
constexpr std::size_t KeptBuffers = 4;
// A block grabbed this recently still serves a pixel inside it: the same
// probe tick's sample (the ticks are 50 ms apart).
constexpr std::chrono::milliseconds BlockServesPixel{20};

// The 32-bit layouts the copy may come in. XRGB and ARGB lie in memory as
// 0xAARRGGBB read little-endian, the image's own layout; XBGR and ABGR have
// red and blue swapped.
bool readable(std::uint32_t format)
{
    return format == WL_SHM_FORMAT_XRGB8888 || format == WL_SHM_FORMAT_ARGB8888 ||
           format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
}

bool redAndBlueSwapped(std::uint32_t format)
{
    return format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
}

std::uint32_t swapRedAndBlue(std::uint32_t v) { return (v & 0x0000FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16); }

// One screen copy: the buffer the compositor offers, then the copy's end.
struct Frame {
    std::uint32_t format = 0;
    int width = 0, height = 0, stride = 0;
    bool offered = false;    // a shared-memory layout the program reads
    bool offersDone = false; // every layout has been offered (version 3), or the one there is (1, 2)
    bool yInverted = false;
    bool ready = false;
    bool failed = false;
};

void frameBuffer(void* data, zwlr_screencopy_frame_v1*, std::uint32_t format, std::uint32_t width,
                 std::uint32_t height, std::uint32_t stride)
{
    auto* f = static_cast<Frame*>(data);
    if (f->offered || !readable(format)) return;
    f->format = format;
    f->width = static_cast<int>(width);
    f->height = static_cast<int>(height);
    f->stride = static_cast<int>(stride);
    f->offered = true;
}
void frameFlags(void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags)
{
    static_cast<Frame*>(data)->yInverted = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}
void frameReady(void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t)
{
    static_cast<Frame*>(data)->ready = true;
}
void frameFailed(void* data, zwlr_screencopy_frame_v1*) { static_cast<Frame*>(data)->failed = true; }
void frameDamage(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void frameDmabuf(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {}
void frameBufferDone(void* data, zwlr_screencopy_frame_v1*) { static_cast<Frame*>(data)->offersDone = true; }
const zwlr_screencopy_frame_v1_listener FrameListener = {frameBuffer, frameFlags,  frameReady,     frameFailed,
                                                         frameDamage, frameDmabuf, frameBufferDone};

// The pixel at (x, y) of a copy, as 0x00RRGGBB.
ImagePixel copiedPixel(const std::uint8_t* bytes, int stride, int height, bool yInverted, bool swapped, int x, int y)
{
    const int row = yInverted ? height - 1 - y : y;
    std::uint32_t v = 0;
    std::memcpy(&v, bytes + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(x) * 4, sizeof v);
    return withoutTopByte(swapped ? swapRedAndBlue(v) : v);
}

} // namespace

WlrootsPixels::WlrootsPixels(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) {}

// The connection stays for the program's life; a screen copy may still fail,
// read by read.
bool WlrootsPixels::canReadPixels() { return m_connection->screencopy && m_connection->shm; }

const ShmBuffer* WlrootsPixels::bufferFor(std::uint32_t format, int width, int height, int stride)
{
    for (auto& b : m_buffers)
        if (b->fits(format, width, height, stride)) return b.get();
    auto made = ShmBuffer::create(m_connection->shm, format, width, height, stride);
    if (!made) return nullptr;
    if (m_buffers.size() == KeptBuffers) m_buffers.erase(m_buffers.begin());
    m_buffers.push_back(std::move(made));
    return m_buffers.back().get();
}

bool WlrootsPixels::copyRegion(const Output& output, Rect rect, Copy& copy)
{
    Connection& c = *m_connection;
    if (!c.screencopy || !c.shm) return false;
    Frame frame;
    zwlr_screencopy_frame_v1* f = zwlr_screencopy_manager_v1_capture_output_region(
        c.screencopy, 0, output.output, rect.x - output.rect.x, rect.y - output.rect.y, rect.width, rect.height);
    zwlr_screencopy_frame_v1_add_listener(f, &FrameListener, &frame);
    const bool versionThree = c.screencopyVersion >= 3;
    bool copied = c.waitOnCopyQueue(
        [&] { return frame.failed || (versionThree ? frame.offersDone : frame.offered); }, CopyTimeout);
    const ShmBuffer* buffer = nullptr;
    if (copied && frame.offered && !frame.failed)
        buffer = bufferFor(frame.format, frame.width, frame.height, frame.stride);
    if (buffer) {
        zwlr_screencopy_frame_v1_copy(f, buffer->buffer());
        copied = c.waitOnCopyQueue([&] { return frame.ready || frame.failed; }, CopyTimeout) && frame.ready;
    } else {
        copied = false;
    }
    zwlr_screencopy_frame_v1_destroy(f);
    c.flush();
    if (!copied) return false;
    copy = {buffer, frame.format, frame.width, frame.height, frame.stride, frame.yInverted};
    return true;
}

ColourValue WlrootsPixels::pixel(Point p)
{
    const Output* output = m_connection->outputAt(p);
    if (!output) return InvalidColour;
    if (m_lastBlockRect.contains(p) && std::chrono::steady_clock::now() - m_lastBlockTime < BlockServesPixel) {
        const auto at = static_cast<std::size_t>(p.y - m_lastBlockRect.y) * static_cast<std::size_t>(m_lastBlockRect.width) +
                        static_cast<std::size_t>(p.x - m_lastBlockRect.x);
        return colourValueFromImagePixel(m_lastBlock.pixels[at]);
    }
    Copy copy;
    if (!copyRegion(*output, {p.x, p.y, 1, 1}, copy) || copy.width < 1 || copy.height < 1)
        return InvalidColour;
    return colourValueFromImagePixel(copiedPixel(copy.buffer->bytes(), copy.stride, copy.height, copy.yInverted,
                                                 redAndBlueSwapped(copy.format), 0, 0));
}

bool WlrootsPixels::grab(Rect rect, ScreenImage& image)
{
    resizeImage(image, rect.width, rect.height);
    if (image.pixels.empty()) return true;
    bool copiedAny = false;
    for (const Output& output : m_connection->outputs) {
        const Rect part = intersected(rect, output.rect);
        Copy copy;
        if (part.isEmpty() || !copyRegion(output, part, copy)) continue;
        // The compositor copies the region at the output's own scale: with
        // scale 1 it is exactly the part asked for.
        const int width = std::min(copy.width, part.width), height = std::min(copy.height, part.height);
        const Point at{part.x - rect.x, part.y - rect.y};
        if (!copy.yInverted && !redAndBlueSwapped(copy.format)) {
            copyBlock(image, at, reinterpret_cast<const std::uint32_t*>(copy.buffer->bytes()),
                      static_cast<std::size_t>(copy.stride) / 4, width, height);
        } else {
            m_row.resize(static_cast<std::size_t>(width));
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x)
                    m_row[static_cast<std::size_t>(x)] = copiedPixel(copy.buffer->bytes(), copy.stride, copy.height,
                                                                     copy.yInverted, redAndBlueSwapped(copy.format), x, y);
                copyBlock(image, {at.x, at.y + y}, m_row.data(), m_row.size(), width, 1);
            }
        }
        copiedAny = true;
    }
    const std::vector<Rect> shown = m_connection->outputRects();
    blackOutside(image, {rect.x, rect.y}, shown);
    if (!copiedAny) {
        clearImage(image);
        m_lastBlockRect = {};
        return false;
    }
    // Kept for the pixel read next (no allocation once the size is known);
    // what no output shows is not kept as a colour.
    m_lastBlock.width = image.width;
    m_lastBlock.height = image.height;
    m_lastBlock.pixels.assign(image.pixels.begin(), image.pixels.end());
    m_lastBlockRect = rect;
    m_lastBlockTime = std::chrono::steady_clock::now();
    return true;
}

WlrootsMonitors::WlrootsMonitors(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) {}

Rect WlrootsMonitors::virtualDesktop()
{
    const std::vector<Rect> rects = m_connection->outputRects();
    if (rects.empty()) return {};
    int left = rects[0].x, top = rects[0].y, right = rects[0].right(), bottom = rects[0].bottom();
    for (const Rect& r : rects) {
        left = std::min(left, r.x);
        top = std::min(top, r.y);
        right = std::max(right, r.right());
        bottom = std::max(bottom, r.bottom());
    }
    return {left, top, right - left, bottom - top};
}

std::vector<Rect> WlrootsMonitors::monitors()
{
    // wlroots names no primary output: the one at the layout's origin
    // stands first, as the desktop's coordinates start there.
    std::vector<Rect> rects = m_connection->outputRects();
    std::stable_partition(rects.begin(), rects.end(), [](const Rect& r) { return r.contains({0, 0}); });
    return rects;
}

Rect WlrootsMonitors::primaryWorkArea()
{
    const std::vector<Rect> rects = monitors();
    return rects.empty() ? Rect{} : rects.front();
}

Rect WlrootsMonitors::workAreaAt(Point p)
{
    const std::vector<Rect> rects = monitors();
    if (rects.empty()) return {};
    const Rect* nearest = &rects.front();
    long best = -1;
    for (const Rect& r : rects) {
        const long dx = p.x < r.x ? r.x - p.x : (p.x >= r.right() ? p.x - r.right() + 1 : 0);
        const long dy = p.y < r.y ? r.y - p.y : (p.y >= r.bottom() ? p.y - r.bottom() + 1 : 0);
        const long distance = dx * dx + dy * dy;
        if (best < 0 || distance < best) {
            best = distance;
            nearest = &r;
        }
    }
    return *nearest;
}

} // namespace tintora::wlroots
