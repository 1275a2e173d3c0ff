#pragma once

#include <memory>

#include "platform/display_profiles.h"
#include "platform/gamma_ramps.h"
#include "platform/monitors.h"
#include "platform/pixels.h"

namespace tintora {

// Everything the program reads of the screen, one interface per job, each
// saying what it can do on this system.
struct Screen {
    std::unique_ptr<Pixels> pixels;
    std::unique_ptr<GammaRamps> ramps;
    std::unique_ptr<DisplayProfiles> profiles;
    std::unique_ptr<Monitors> monitors;
};

} // namespace tintora
