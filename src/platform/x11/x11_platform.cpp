#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/x11/x11_clipboard.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_keyboard.h"
#include "platform/x11/x11_pointer.h"
#include "platform/x11/x11_pointer_watchdog.h"
#include "platform/x11/x11_screen.h"
#include "platform/x11/x11_shell.h"
#include "platform/x11/x11_windows.h"

namespace tintora {

namespace {

// Why this session cannot be used, or nothing.
std::optional<std::string> refusal()
{
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((session && std::strcmp(session, "wayland") == 0) || (wayland && *wayland)) {
        return std::string("This is a Wayland session. Wayland does not let a program read other programs' "
                           "pixels or the display's gamma ramp, so Tintora would only show zeros. "
                           "Log in to an X11 session (\"GNOME on Xorg\", \"Plasma (X11)\") to use it.");
    }
    return std::nullopt;
}

} // namespace

// A connection to a display whose pixels the program can read, or why not.
static std::variant<std::shared_ptr<x11::Connection>, std::string> openReadableDisplay()
{
    if (auto why = refusal()) return *why;
    std::string error;
    auto connection = x11::Connection::open(error);
    if (!connection) return error;
    error = x11::unreadableDisplayReason(connection->display(), connection->screen());
    if (!error.empty()) return error;
    return connection;
}

std::variant<Platform, std::string> openPlatform()
{
    auto opened = openReadableDisplay();
    if (auto* why = std::get_if<std::string>(&opened)) return *why;
    auto connection = std::get<0>(std::move(opened));
    Platform p;
    p.screen = std::make_unique<x11::X11Screen>(connection);
    auto pointer = std::make_unique<x11::X11Pointer>(connection);
    pointer->watchOverCrashes();
    p.pointer = std::move(pointer);
    p.windows = std::make_unique<x11::X11Windows>(connection);
    p.clipboard = std::make_unique<x11::X11Clipboard>(connection);
    p.shell = std::make_unique<x11::X11Shell>();
    p.keyboard = std::make_unique<x11::X11Keyboard>(connection);
    return p;
}

std::variant<std::unique_ptr<Screen>, std::string> openScreen()
{
    auto opened = openReadableDisplay();
    if (auto* why = std::get_if<std::string>(&opened)) return *why;
    return std::unique_ptr<Screen>(std::make_unique<x11::X11Screen>(std::get<0>(std::move(opened))));
}

std::optional<int> runPlatformHelper(int, char**)
{
    if (x11::startedAsClipboardKeeper()) return x11::runClipboardKeeper();
    if (x11::startedAsPointerWatchdog()) return x11::runPointerWatchdog();
    return std::nullopt;
}

} // namespace tintora
