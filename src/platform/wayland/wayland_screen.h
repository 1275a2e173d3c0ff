#pragma once

#include <memory>

#include "platform/display_profiles.h"
#include "platform/monitors.h"
#include "platform/pixels.h"
#include "platform/wayland/pipewire_frames.h"
#include "platform/wayland/screen_cast_portal.h"

namespace tintora::wayland {

// The portal's screen cast and its frames, shared by the screen and the
// pointer; the frames stop before the session closes.
struct ScreenCast {
    std::unique_ptr<ScreenCastPortal> portal;
    std::unique_ptr<PipeWireFrames> frames;
    Rect area; // the monitor cast, on the desktop
};

// The screen as the newest frame of the cast monitor shows it. A Wayland
// compositor lends no other monitor to a client.
class WaylandPixels final : public Pixels {
public:
    explicit WaylandPixels(std::shared_ptr<ScreenCast> cast);

    // False once the cast has ended: no frame comes any more.
    bool canReadPixels() override;
    ColourValue pixel(Point p) override;
    bool grab(Rect rect, ScreenImage& image) override;

private:
    std::shared_ptr<ScreenCast> m_cast;
};

// The cast monitor is the whole desktop the program sees. The compositor does
// not tell a client where its panels are, so its work area is the monitor.
class WaylandMonitors final : public Monitors {
public:
    explicit WaylandMonitors(std::shared_ptr<ScreenCast> cast);

    Rect virtualDesktop() override;
    std::vector<Rect> monitors() override;
    bool knowsWorkAreas() override { return false; }
    Rect primaryWorkArea() override;
    Rect workAreaAt(Point p) override;

private:
    std::shared_ptr<ScreenCast> m_cast;
};

// No display profile is read on Wayland yet.
class WaylandDisplayProfiles final : public DisplayProfiles {
public:
    bool canReadProfiles() override { return false; }
    bool profileAt(Point, PublishedProfile&) override { return false; }
    std::vector<PublishedProfile> allProfiles() override { return {}; }
};

} // namespace tintora::wayland
