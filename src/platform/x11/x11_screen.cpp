#include "platform/x11/x11_screen.h"

#include "platform/x11/x11_display_profiles.h"
#include "platform/x11/x11_gamma_ramps.h"
#include "platform/x11/x11_layout.h"
#include "platform/x11/x11_monitors.h"
#include "platform/x11/x11_pixels.h"

namespace tintora::x11 {

Screen openScreenOn(const std::shared_ptr<Connection>& connection)
{
    auto layout = std::make_shared<X11Layout>(connection);
    Screen screen;
    screen.pixels = std::make_unique<X11Pixels>(layout);
    screen.ramps = std::make_unique<X11GammaRamps>(layout);
    screen.profiles = std::make_unique<X11DisplayProfiles>(layout);
    screen.monitors = std::make_unique<X11Monitors>(layout);
    return screen;
}

} // namespace tintora::x11
