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

WaylandScreen::WaylandScreen(std::shared_ptr<ScreenCast> cast) : m_cast(std::move(cast)) {}

ColourValue WaylandScreen::pixel(Point p)
{
    ColourValue colour = InvalidColour;
    const Point at{p.x - m_cast->area.x, p.y - m_cast->area.y};
    m_cast->frames->withNewestFrame([&](const FrameView& frame) {
        if (at.x >= 0 && at.y >= 0 && at.x < frame.width && at.y < frame.height)
            colour = colourValueFromImagePixel(pixelAt(frame, at.x, at.y));
    });
    return colour;
}

bool WaylandScreen::rampAt(Point p, RampReading& reading) { return m_gamma.rampAt(p, reading); }
std::vector<RampReading> WaylandScreen::allRamps() { return m_gamma.allRamps(); }
bool WaylandScreen::canReadGammaRamp() { return m_gamma.canReadGammaRamp(); }

bool WaylandScreen::profileAt(Point, PublishedProfile&) { return false; }
std::vector<PublishedProfile> WaylandScreen::allProfiles() { return {}; }

bool WaylandScreen::grab(Rect rect, ScreenImage& image)
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

Rect WaylandScreen::virtualDesktop() { return m_cast->area; }
std::vector<Rect> WaylandScreen::monitors() { return {m_cast->area}; }

// The compositor does not tell a client where its panels are.
Rect WaylandScreen::primaryWorkArea() { return m_cast->area; }
Rect WaylandScreen::workAreaAt(Point) { return m_cast->area; }

} // namespace tintora::wayland
