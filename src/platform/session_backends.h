#pragma once

// The Linux build's backends as the choice of backend (session_choice.cpp)
// sees them: what each finds of its display server, and their openings. The
// choice is the only caller; nothing here names X11 or Wayland types.

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "platform/backend_choice.h"
#include "platform/platform.h"

namespace tintora {

namespace x11 {
// The server $DISPLAY names: reachable, TrueColor, and whether it is Xwayland.
DisplayServerCheck checkDisplay();
std::variant<Platform, std::string> openX11Platform();
std::variant<std::unique_ptr<Screen>, std::string> openX11Screen();
std::optional<int> runX11Helper(int argc, char** argv);
} // namespace x11

namespace wayland {
// The compositor $WAYLAND_DISPLAY names: whether its socket takes a
// connection (the ScreenCast portal is asked when the platform opens, once
// the toolkit's event loop can hear its answers).
DisplayServerCheck checkDisplay();
std::variant<Platform, std::string> openWaylandPlatform();
std::variant<std::unique_ptr<Screen>, std::string> openWaylandScreen();
} // namespace wayland

namespace wlroots {
// Whether the compositor $WAYLAND_DISPLAY names offers wlroots' screen copy
// and layer shell (sway, Hyprland and the other wlroots compositors).
bool offersScreenCopy();
std::variant<Platform, std::string> openWlrootsPlatform();
std::variant<std::unique_ptr<Screen>, std::string> openWlrootsScreen();
} // namespace wlroots

} // namespace tintora
