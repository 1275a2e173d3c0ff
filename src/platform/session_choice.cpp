// The Linux build holds three backends; this is where one is chosen for the
// session, once, by the rule of platform/backend_choice.h, and opened.

#include <QByteArray>

#include <cstdlib>

#include "platform/process.h"
#include "platform/session_backends.h"

namespace tintora {

namespace {

bool isSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value;
}

const BackendChoice& choice()
{
    static const BackendChoice decided =
        chooseBackendFor(isSet("DISPLAY"), x11::checkDisplay, isSet("WAYLAND_DISPLAY"), [] {
            DisplayServerCheck check = wayland::checkDisplay();
            if (check.usable) check.screenCopy = wlroots::offersScreenCopy();
            return check;
        });
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
    qputenv("QT_QPA_PLATFORM", choice().backend && *choice().backend != Backend::X11 ? "wayland" : "xcb");
}

std::variant<Platform, std::string> openPlatform()
{
    if (!choice().backend) return choice().why;
    switch (*choice().backend) {
    case Backend::X11: return x11::openX11Platform();
    case Backend::Wayland: return wayland::openWaylandPlatform();
    case Backend::Wlroots: return wlroots::openWlrootsPlatform();
    }
    return choice().why;
}

std::variant<std::unique_ptr<Screen>, std::string> openScreen()
{
    if (!choice().backend) return choice().why;
    switch (*choice().backend) {
    case Backend::X11: return x11::openX11Screen();
    case Backend::Wayland: return wayland::openWaylandScreen();
    case Backend::Wlroots: return wlroots::openWlrootsScreen();
    }
    return choice().why;
}

// The helper processes are the X11 backend's.
std::optional<int> runPlatformHelper(int argc, char** argv) { return x11::runX11Helper(argc, argv); }

} // namespace tintora
