#include "platform/x11/x11_gamma_ramps.h"

#include <algorithm>

#include "platform/gamma_ramp.h"

namespace tintora::x11 {

namespace {

struct GammaDeleter {
    void operator()(XRRCrtcGamma* g) const
    {
        if (g) XRRFreeGamma(g);
    }
};

} // namespace

X11GammaRamps::X11GammaRamps(std::shared_ptr<X11Layout> layout)
    : m_layout(std::move(layout)), m_display(m_layout->connection()->display())
{
}

bool X11GammaRamps::canReadGammaRamp()
{
    m_layout->refreshIfChanged();
    const auto& crtcs = m_layout->crtcs();
    return std::any_of(crtcs.begin(), crtcs.end(), [](const X11Layout::Crtc& c) { return c.gammaSize >= 2; });
}

bool X11GammaRamps::readRamp(const X11Layout::Crtc& crtc, GammaTable& ramp)
{
    if (crtc.gammaSize < 2) return false;
    ErrorTrap trap(m_display);
    std::unique_ptr<XRRCrtcGamma, GammaDeleter> gamma(XRRGetCrtcGamma(m_display, crtc.id));
    // A CRTC that has gone since the layout was read fails here once: the
    // server's notice of the change reads the layout again. A failure that
    // lasts costs no new layout every tick.
    if (!gamma || trap.failed() || gamma->size < 2) return false;
    if (gamma->size == 256) {
        std::copy_n(gamma->red, 256, ramp.begin());
        std::copy_n(gamma->green, 256, ramp.begin() + 256);
        std::copy_n(gamma->blue, 256, ramp.begin() + 512);
    } else {
        resampleRamp(gamma->red, gamma->green, gamma->blue, gamma->size, ramp);
    }
    return true;
}

bool X11GammaRamps::rampAt(Point p, RampReading& reading)
{
    m_layout->refreshIfChanged();
    const X11Layout::Crtc* crtc = m_layout->crtcAt(p);
    if (!crtc || !readRamp(*crtc, reading.ramp)) return false;
    // The layout is kept between its changes: the name costs no request.
    reading.output = crtc->output;
    reading.size = crtc->gammaSize;
    return true;
}

std::vector<RampReading> X11GammaRamps::allRamps()
{
    m_layout->refreshIfChanged();
    std::vector<RampReading> ramps;
    // readRamp may find the layout gone; the CRTCs read so far are kept.
    const std::vector<X11Layout::Crtc> crtcs = m_layout->crtcs();
    for (const X11Layout::Crtc& crtc : crtcs) {
        RampReading reading;
        if (!readRamp(crtc, reading.ramp)) continue;
        reading.output = crtc.output;
        reading.size = crtc.gammaSize;
        ramps.push_back(std::move(reading));
    }
    return ramps;
}

} // namespace tintora::x11
