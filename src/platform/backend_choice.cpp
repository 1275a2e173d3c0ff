#include "platform/backend_choice.h"

namespace tintora {

BackendChoice chooseBackendFor(bool displaySet, const std::function<DisplayServerCheck()>& checkX11,
                               bool waylandDisplaySet, const std::function<DisplayServerCheck()>& checkWayland)
{
    std::string x11Why = "No X11 display: $DISPLAY is not set.";
    if (displaySet) {
        const DisplayServerCheck x = checkX11();
        if (x.usable && !(x.xwayland && waylandDisplaySet)) return {Backend::X11, {}};
        x11Why = x.usable ? "The X server of $DISPLAY is the Wayland session's Xwayland, which shows no Wayland "
                            "window's pixels."
                          : x.why;
    }
    std::string waylandWhy = "No Wayland display: $WAYLAND_DISPLAY is not set.";
    if (waylandDisplaySet) {
        const DisplayServerCheck w = checkWayland();
        if (w.usable) return {w.screenCopy ? Backend::Wlroots : Backend::Wayland, {}};
        waylandWhy = w.why;
    }
    return {std::nullopt, x11Why + " " + waylandWhy +
                              " Tintora needs an X11 session, or a Wayland session whose desktop lets programs read "
                              "the screen through the ScreenCast portal (GNOME) or wlroots' screen copy (sway, Hyprland)."};
}

} // namespace tintora
