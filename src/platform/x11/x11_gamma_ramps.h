#pragma once

#include <memory>

#include "platform/gamma_ramps.h"
#include "platform/x11/x11_layout.h"

namespace tintora::x11 {

// Each CRTC's ramp through RandR (XRRGetCrtcGamma), resampled to 256 entries
// when the CRTC's has another size.
class X11GammaRamps final : public GammaRamps {
public:
    explicit X11GammaRamps(std::shared_ptr<X11Layout> layout);

    bool canReadGammaRamp() override;
    bool rampAt(Point p, RampReading& reading) override;
    std::vector<RampReading> allRamps() override;

private:
    // Reads crtc's ramp into ramp, resampled to 256 entries.
    bool readRamp(const X11Layout::Crtc& crtc, GammaTable& ramp);

    std::shared_ptr<X11Layout> m_layout;
    Display* m_display;
};

} // namespace tintora::x11
