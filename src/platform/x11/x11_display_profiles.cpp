#include "platform/x11/x11_display_profiles.h"

namespace tintora::x11 {

X11DisplayProfiles::X11DisplayProfiles(std::shared_ptr<X11Layout> layout) : m_layout(std::move(layout))
{
    if (!m_layout->hasRandr12()) return;
    // The layout selected the output property notices with its own.
    m_profiles = std::make_unique<X11Profiles>(m_layout->connection(), m_layout->randrEventBase());
    m_listenerId = m_layout->connection()->addEventListener(
        [profiles = m_profiles.get()](XEvent& event) { return profiles->handleEvent(event); });
}

X11DisplayProfiles::~X11DisplayProfiles()
{
    if (m_listenerId) m_layout->connection()->removeEventListener(m_listenerId);
}

void X11DisplayProfiles::followLayout()
{
    m_layout->refreshIfChanged();
    if (m_layout->generation() == m_layoutSeen) return;
    m_layoutSeen = m_layout->generation();
    std::vector<ShownOutput> shown;
    for (const X11Layout::Crtc& c : m_layout->crtcs()) shown.push_back({c.rect, c.outputId, c.output});
    m_profiles->outputsChanged(std::move(shown));
}

bool X11DisplayProfiles::profileAt(Point p, PublishedProfile& profile)
{
    if (!m_profiles) return false;
    followLayout();
    const X11Layout::Crtc* crtc = m_layout->crtcAt(p);
    if (!crtc && !m_layout->crtcs().empty()) crtc = &m_layout->crtcs().front();
    if (!crtc) return false;
    // Each look-up only pairs the point with what was read after the last
    // notice: no request between changes.
    m_profiles->fillAt(p, crtc->outputId, crtc->output, profile);
    return true;
}

std::vector<PublishedProfile> X11DisplayProfiles::allProfiles()
{
    if (!m_profiles) return {};
    followLayout();
    return m_profiles->all();
}

} // namespace tintora::x11
