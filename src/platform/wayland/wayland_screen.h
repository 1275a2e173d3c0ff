#pragma once

#include <memory>

#include "platform/screen.h"
#include "platform/wayland/mutter_gamma.h"
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

// The screen as the newest frame of the cast monitor shows it, and the ramps
// as GNOME's compositor reports them. A Wayland compositor lends no other
// monitor and no profile to a client.
class WaylandScreen final : public Screen {
public:
    explicit WaylandScreen(std::shared_ptr<ScreenCast> cast);

    ColourValue pixel(Point p) override;
    bool rampAt(Point p, RampReading& reading) override;
    std::vector<RampReading> allRamps() override;
    bool profileAt(Point p, PublishedProfile& profile) override;
    std::vector<PublishedProfile> allProfiles() override;
    bool canReadGammaRamp() override;
    bool grab(Rect rect, ScreenImage& image) override;
    Rect virtualDesktop() override;
    std::vector<Rect> monitors() override;
    Rect primaryWorkArea() override;
    Rect workAreaAt(Point p) override;

private:
    std::shared_ptr<ScreenCast> m_cast;
    MutterGamma m_gamma;
};

} // namespace tintora::wayland
