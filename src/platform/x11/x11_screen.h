#pragma once

#include <memory>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>

#include "platform/screen.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_profiles.h"

namespace tintora::x11 {

class X11Screen final : public Screen {
public:
    explicit X11Screen(std::shared_ptr<Connection> connection);
    ~X11Screen() override;

    ColourValue pixel(Point p) override;
    bool rampAt(Point p, RampReading& reading) override;
    std::vector<RampReading> allRamps() override;
    bool canReadGammaRamp() override;
    bool profileAt(Point p, PublishedProfile& profile) override;
    std::vector<PublishedProfile> allProfiles() override;
    bool grab(Rect rect, ScreenImage& image) override;
    Rect virtualDesktop() override;
    std::vector<Rect> monitors() override;
    Rect primaryWorkArea() override;
    Rect workAreaAt(Point p) override;

private:
    struct Crtc {
        RRCrtc id = 0;
        Rect rect;
        int gammaSize = 0;
        std::string output; // name of its first output
        RROutput outputId = 0;
    };
    struct ChannelFormat {
        int shift = 0; // lowest bit of the channel's mask
        int bits = 0;  // width of the mask
    };

    void refreshLayoutIfChanged();
    // The CRTC that shows p, the first one otherwise; none when there is none.
    const Crtc* crtcAt(Point p) const;
    // Reads crtc's ramp into ramp, resampled to 256 entries.
    bool readRamp(const Crtc& crtc, GammaTable& ramp);
    void readLayout();
    Rect rootRect() const;
    Rect workAreaOfMonitor(const Rect& monitor);
    std::uint32_t toRgb32(unsigned long pixel) const;
    bool grabInto(const Rect& clipped, const Rect& wanted, ScreenImage& image);
    bool ensureShmSegment(std::size_t bytes);
    void releaseShmSegment();
    // The image header of the last block size grabbed through the segment,
    // made again only when the size changes.
    XImage* shmImage(int width, int height);
    void releaseShmImage();

    std::shared_ptr<Connection> m_connection;
    Display* m_display;
    Window m_root;
    bool m_hasRandr12 = false;
    int m_randrEventBase = 0;
    int m_listenerId = 0;
    bool m_layoutKnown = false;
    std::vector<Crtc> m_crtcs;        // CRTCs that show something
    std::vector<Rect> m_monitors;     // primary first
    std::vector<Rect> m_shown;        // the monitors' parts on the root: what has pixels
    std::unique_ptr<X11Profiles> m_profiles; // with RandR 1.2 only: profiles belong to outputs
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
