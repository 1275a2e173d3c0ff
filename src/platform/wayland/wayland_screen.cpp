#include "platform/wayland/wayland_screen.h"

#include <cstring>

#include "platform/screen_image.h"

namespace tintora::wayland {

namespace {

// A BGRx pixel as it lies in memory is 0xXXRRGGBB read little-endian.
ImagePixel pixelAt(const FrameView& frame, int x, int y)
{
    std::uint32_t value = 0;
    std::memcpy(&value, frame.pixels + static_cast<std::size_t>(y) * frame.strideBytes + static_cast<std::size_t>(x) * 4,
                sizeof value);
    return withoutTopByte(value);
}

} // namespace

WaylandPixels::WaylandPixels(std::shared_ptr<ScreenCast> cast) : m_cast(std::move(cast)) {}

bool WaylandPixels::canReadPixels() { return m_cast->frames->failure().empty(); }

ColourValue WaylandPixels::pixel(Point p)
{
    ColourValue colour = InvalidColour;
    const Point at{p.x - m_cast->area.x, p.y - m_cast->area.y};
    m_cast->frames->withNewestFrame([&](const FrameView& frame) {
        if (at.x >= 0 && at.y >= 0 && at.x < frame.width && at.y < frame.height)
            colour = colourValueFromImagePixel(pixelAt(frame, at.x, at.y));
    });
    return colour;
}

bool WaylandPixels::grab(Rect rect, ScreenImage& image)
{
    resizeImage(image, rect.width, rect.height);
    bool copied = false;
    m_cast->frames->withNewestFrame([&](const FrameView& frame) {
        const Rect shown{m_cast->area.x, m_cast->area.y, frame.width, frame.height};
        const Rect clipped = intersected(rect, shown);
        if (clipped.isEmpty()) return;
        clearImage(image);
        // Rows of 32-bit pixels: only the block asked for is copied.
        const std::uint8_t* first = frame.pixels +
                                    static_cast<std::size_t>(clipped.y - shown.y) * frame.strideBytes +
                                    static_cast<std::size_t>(clipped.x - shown.x) * 4;
        copyBlock(image, {clipped.x - rect.x, clipped.y - rect.y}, reinterpret_cast<const std::uint32_t*>(first),
                  frame.strideBytes / 4, clipped.width, clipped.height);
        copied = true;
    });
    if (!copied) clearImage(image);
    return copied || image.pixels.empty();
}

WaylandMonitors::WaylandMonitors(std::shared_ptr<ScreenCast> cast) : m_cast(std::move(cast)) {}

Rect WaylandMonitors::virtualDesktop() { return m_cast->area; }
std::vector<Rect> WaylandMonitors::monitors() { return {m_cast->area}; }
Rect WaylandMonitors::primaryWorkArea() { return m_cast->area; }
Rect WaylandMonitors::workAreaAt(Point) { return m_cast->area; }

} // namespace tintora::wayland
