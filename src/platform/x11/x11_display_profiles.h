#pragma once

#include <cstdint>
#include <memory>

#include "platform/display_profiles.h"
#include "platform/x11/x11_layout.h"
#include "platform/x11/x11_profiles.h"

namespace tintora::x11 {

// The display profiles of the layout's monitors and outputs, as X11Profiles
// reads them (RandR 1.2 and later only: profiles belong to outputs). The
// profiles' side reads the server's monitors itself (x11_profile_screens.h)
// and asks for them again at most once a second, as no notice comes when a
// client adds or removes one.
class X11DisplayProfiles final : public DisplayProfiles {
public:
    explicit X11DisplayProfiles(std::shared_ptr<X11Layout> layout);
    ~X11DisplayProfiles() override;

    bool canReadProfiles() override { return m_profiles != nullptr; }
    bool profileAt(Point p, PublishedProfile& profile) override;
    std::vector<PublishedProfile> allProfiles() override;

private:
    // The layout as it is now; a new one hands the profiles its CRTCs.
    void followLayout();

    std::shared_ptr<X11Layout> m_layout;
    std::unique_ptr<X11Profiles> m_profiles;
    int m_listenerId = 0;
    std::uint64_t m_layoutSeen = 0; // the layout's generation last followed
};

} // namespace tintora::x11
