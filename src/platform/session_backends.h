#pragma once

// The Linux build's backends as the choice of backend (session_choice.cpp)
// sees them: each one's entry says what it finds of its display server and
// how it opens. The choice is the only user; nothing here names X11,
// Wayland or wlroots types.

#include <optional>
#include <string>
#include <variant>

#include "platform/backend_choice.h"
#include "platform/platform.h"

namespace tintora {

// One backend of the build.
struct SessionBackend {
    Backend backend;
    const char* variable;      // the environment variable naming its display server
    const char* toolkitPlugin; // Qt's window system plugin for that server
    // What it finds of the server (asked only while the choice depends on it).
    DisplayServerCheck (*checkDisplay)();
    std::variant<Platform, std::string> (*openPlatform)();
    std::variant<Screen, std::string> (*openScreen)();
    // Runs this process as one of the backend's helper processes when it was
    // started as one; nothing otherwise. Null: the backend has none.
    std::optional<int> (*runHelper)(int argc, char** argv);
};

namespace x11 {
// The server $DISPLAY names: reachable, TrueColor, and whether it is Xwayland.
extern const SessionBackend Entry;
} // namespace x11

namespace wayland {
// The compositor $WAYLAND_DISPLAY names: whether its socket takes a
// connection (the ScreenCast portal is asked when the platform opens, once
// the toolkit's event loop can hear its answers).
extern const SessionBackend Entry;
} // namespace wayland

namespace wlroots {
// The compositor $WAYLAND_DISPLAY names, when it offers wlroots' screen copy
// and layer shell (sway, Hyprland and the other wlroots compositors): the
// check says so in screenCopy and is asked only once the Wayland entry's
// check found the compositor usable.
extern const SessionBackend Entry;
} // namespace wlroots

} // namespace tintora
