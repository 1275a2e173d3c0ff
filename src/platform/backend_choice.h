#pragma once

// The rule by which the Linux build picks its backend for the session,
// apart from the servers it asks (pure: session_choice.cpp gives it the
// real checks, the unit tests their own).

#include <functional>
#include <optional>
#include <string>

namespace tintora {

// Wayland: GNOME's, through the desktop portal; Wlroots: a compositor that
// offers wlroots' screen copy and layer shell (sway, Hyprland ...).
enum class Backend { X11, Wayland, Wlroots };

// What a backend found of the display server its variable names.
struct DisplayServerCheck {
    bool usable = false;   // the program can read other programs' pixels through it
    bool xwayland = false; // an X server of a Wayland compositor, which shows no Wayland window
    std::string why;       // when not usable: what is missing, for the user
    bool screenCopy = false; // a Wayland compositor that offers wlroots' screen copy and layer shell
};

struct BackendChoice {
    std::optional<Backend> backend;
    std::string why; // when there is none: what is missing, for the user
};

// X11 where $DISPLAY names an X server that shows every window (an Xwayland
// one only when no Wayland display is named), otherwise Wayland where
// $WAYLAND_DISPLAY names a compositor that answers (the wlroots backend where
// it offers wlroots' screen copy, else the portal's), otherwise none, with what
// each lacks said. A server is asked only when its variable is set and the
// choice still depends on it.
BackendChoice chooseBackendFor(bool displaySet, const std::function<DisplayServerCheck()>& checkX11,
                               bool waylandDisplaySet, const std::function<DisplayServerCheck()>& checkWayland);

} // namespace tintora
