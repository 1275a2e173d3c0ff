#pragma once

#include <memory>

#include "platform/screen.h"
#include "platform/x11/x11_connection.h"

namespace tintora::x11 {

// The screen's four parts over one connection, sharing the layout RandR
// reports (x11_layout.h): pixels (x11_pixels.h), gamma ramps
// (x11_gamma_ramps.h), display profiles (x11_display_profiles.h) and
// monitors with their work areas (x11_monitors.h).
Screen openScreenOn(const std::shared_ptr<Connection>& connection);

} // namespace tintora::x11
