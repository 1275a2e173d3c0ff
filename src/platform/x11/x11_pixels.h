#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include "platform/pixels.h"
#include "platform/x11/x11_layout.h"

namespace tintora::x11 {

// The root window's pixels: one pixel with a 1x1 GetImage, a block with one
// XShmGetImage into a segment kept for the program's life (a plain GetImage
// where the server cannot share memory). Only what the monitors show is
// read; the rest is no pixel, or black in a block.
class X11Pixels final : public Pixels {
public:
    explicit X11Pixels(std::shared_ptr<X11Layout> layout);
    ~X11Pixels() override;

    bool canReadPixels() override { return true; }
    ColourValue pixel(Point p) override;
    bool grab(Rect rect, ScreenImage& image) override;

private:
    struct ChannelFormat {
        int shift = 0; // lowest bit of the channel's mask
        int bits = 0;  // width of the mask
    };

    std::uint32_t toRgb32(unsigned long pixel) const;
    bool grabInto(const Rect& clipped, const Rect& wanted, ScreenImage& image);
    bool ensureShmSegment(std::size_t bytes);
    void releaseShmSegment();
    // The image header of the last block size grabbed through the segment,
    // made again only when the size changes.
    XImage* shmImage(int width, int height);
    void releaseShmImage();

    std::shared_ptr<X11Layout> m_layout;
    Display* m_display;
    Window m_root;
    Visual* m_visual;
    int m_depth;
    ChannelFormat m_red, m_green, m_blue;

    bool m_hasShm = false;
    XShmSegmentInfo m_shm{};
    std::size_t m_shmBytes = 0;
    XImage* m_shmImage = nullptr; // its data is the segment's, not its own
};

// Why the pixels of the screen's default visual cannot be read as colours
// (a visual with a colour map, such as 8-bit PseudoColor), as a message for
// the user; empty when they can.
std::string unreadableDisplayReason(Display* display, int screen);

} // namespace tintora::x11
