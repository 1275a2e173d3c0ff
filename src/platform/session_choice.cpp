// The Linux build holds two backends; this is where one is chosen for the
// session, once: X11 where $DISPLAY reaches an X server that shows every
// window, otherwise Wayland where $WAYLAND_DISPLAY reaches a compositor,
// otherwise nothing, with what is missing said.

#include <QByteArray>

#include <cstdlib>

#include "platform/process.h"
#include "platform/session_backends.h"

namespace tintora {

namespace {

enum class Backend { X11, Wayland };

struct BackendChoice {
    std::optional<Backend> backend;
    std::string why; // when there is none
};

bool isSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value;
}

BackendChoice decide()
{
    const bool wayland = isSet("WAYLAND_DISPLAY");
    std::string x11Why = "No X11 display: $DISPLAY is not set.";
    if (isSet("DISPLAY")) {
        const DisplayServerCheck x = x11::checkDisplay();
        if (x.usable && !(x.xwayland && wayland)) return {Backend::X11, {}};
        x11Why = x.usable ? "The X server of $DISPLAY is the Wayland session's Xwayland, which shows no Wayland "
                            "window's pixels."
                          : x.why;
    }
    std::string waylandWhy = "No Wayland display: $WAYLAND_DISPLAY is not set.";
    if (wayland) {
        const DisplayServerCheck w = wayland::checkDisplay();
        if (w.usable) return {Backend::Wayland, {}};
        waylandWhy = w.why;
    }
    return {std::nullopt, x11Why + " " + waylandWhy +
                              " Tintora needs an X11 session, or a Wayland session whose desktop lets programs "
                              "read the screen through the ScreenCast portal (GNOME)."};
}

const BackendChoice& choice()
{
    static const BackendChoice decided = decide();
    return decided;
}

} // namespace

std::optional<std::string> chooseBackend()
{
    if (choice().backend) return std::nullopt;
    return choice().why;
}

void prepareToolkit()
{
    // The windows go to the same display server as the backend: Qt's plugin
    // for it, whatever the session prefers.
    qputenv("QT_QPA_PLATFORM", choice().backend == Backend::Wayland ? "wayland" : "xcb");
}

std::variant<Platform, std::string> openPlatform()
{
    if (!choice().backend) return choice().why;
    return *choice().backend == Backend::X11 ? x11::openX11Platform() : wayland::openWaylandPlatform();
}

std::variant<std::unique_ptr<Screen>, std::string> openScreen()
{
    if (!choice().backend) return choice().why;
    return *choice().backend == Backend::X11 ? x11::openX11Screen() : wayland::openWaylandScreen();
}

// The helper processes are the X11 backend's.
std::optional<int> runPlatformHelper(int argc, char** argv) { return x11::runX11Helper(argc, argv); }

} // namespace tintora
