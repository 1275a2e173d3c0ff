// The Linux build holds two backends; this is where one is chosen for the
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
        chooseBackendFor(isSet("DISPLAY"), x11::checkDisplay, isSet("WAYLAND_DISPLAY"), wayland::checkDisplay);
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

std::variant<Screen, std::string> openScreen()
{
    if (!choice().backend) return choice().why;
    return *choice().backend == Backend::X11 ? x11::openX11Screen() : wayland::openWaylandScreen();
}

// The helper processes are the X11 backend's.
std::optional<int> runPlatformHelper(int argc, char** argv) { return x11::runX11Helper(argc, argv); }

} // namespace tintora
