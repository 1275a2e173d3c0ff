#include <cstring>

#include <X11/extensions/Xrandr.h>

#include "platform/session_backends.h"
#include "platform/x11/x11_clipboard.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_keyboard.h"
#include "platform/x11/x11_pointer.h"
#include "platform/x11/x11_pixels.h"
#include "platform/x11/x11_pointer_watchdog.h"
#include "platform/x11/x11_screen.h"
#include "platform/x11/x11_shell.h"
#include "platform/x11/x11_windows.h"

namespace tintora::x11 {

namespace {

// Xwayland, the X server a Wayland compositor runs for X programs, shows
// only their windows: it says so by its extension, and older ones by the
// names of their outputs.
bool isXwayland(Display* display)
{
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(display, "XWAYLAND", &opcode, &event, &error)) return true;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (!resources) return false;
    bool found = false;
    for (int i = 0; i < resources->noutput && !found; ++i) {
        if (XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i])) {
            found = std::strncmp(info->name, "XWAYLAND", 8) == 0;
            XRRFreeOutputInfo(info);
        }
    }
    XRRFreeScreenResources(resources);
    return found;
}

// A connection to a display whose pixels the program can read, or why not.
std::variant<std::shared_ptr<Connection>, std::string> openReadableDisplay()
{
    std::string error;
    auto connection = Connection::open(error);
    if (!connection) return error;
    error = unreadableDisplayReason(connection->display(), connection->screen());
    if (!error.empty()) return error;
    return connection;
}

DisplayServerCheck checkDisplay()
{
    auto opened = openReadableDisplay();
    if (auto* why = std::get_if<std::string>(&opened)) return {false, false, *why};
    auto& connection = std::get<0>(opened);
    return {true, isXwayland(connection->display()), {}};
}

std::variant<Platform, std::string> openPlatform()
{
    auto opened = openReadableDisplay();
    if (auto* why = std::get_if<std::string>(&opened)) return *why;
    auto connection = std::get<0>(std::move(opened));
    Platform p;
    p.screen = openScreenOn(connection);
    auto pointer = std::make_unique<X11Pointer>(connection);
    pointer->watchOverCrashes();
    p.pointer = std::move(pointer);
    p.windows = std::make_unique<X11Windows>(connection);
    p.clipboard = std::make_unique<X11Clipboard>(connection);
    p.shell = std::make_unique<X11Shell>();
    p.keyboard = std::make_unique<X11Keyboard>(connection);
    return p;
}

std::variant<Screen, std::string> openScreen()
{
    auto opened = openReadableDisplay();
    if (auto* why = std::get_if<std::string>(&opened)) return *why;
    return openScreenOn(std::get<0>(opened));
}

std::optional<int> runHelper(int, char**)
{
    if (startedAsClipboardKeeper()) return runClipboardKeeper();
    if (startedAsPointerWatchdog()) return runPointerWatchdog();
    return std::nullopt;
}

} // namespace

const SessionBackend Entry{Backend::X11, "DISPLAY", "xcb", checkDisplay, openPlatform, openScreen, runHelper};

} // namespace tintora::x11
