#include "platform/session_backends.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/wayland/wayland_keyboard.h"
#include "platform/wlroots/wlroots_connection.h"
#include "platform/wlroots/wlroots_overlay.h"
#include "platform/wlroots/wlroots_pointer.h"
#include "platform/wlroots/wlroots_screen.h"

namespace tintora::wlroots {

namespace {

std::variant<std::shared_ptr<Connection>, std::string> connect()
{
    std::string why;
    std::shared_ptr<Connection> connection = Connection::open(why);
    if (!connection) return why;
    if (!connection->offersScreenCopyAndOverlay())
        return std::string("The Wayland compositor offers neither wlroots' screen copy nor its layer shell.");
    return connection;
}

// Whether the compositor offers wlroots' screen copy and layer shell; the
// Wayland entry's check has found it answers, and says why where it does not.
DisplayServerCheck checkDisplay()
{
    std::string why;
    const std::unique_ptr<Connection> connection = Connection::open(why);
    const bool offers = connection && connection->offersScreenCopyAndOverlay();
    DisplayServerCheck check;
    check.usable = offers;
    check.screenCopy = offers;
    if (!offers)
        check.why = connection ? "The Wayland compositor offers neither wlroots' screen copy nor its layer shell." : why;
    return check;
}

// The screen's parts: the outputs' screen copies for pixels, the outputs for
// monitors; neither ramps nor profiles can be read.
Screen screenOf(const std::shared_ptr<Connection>& connection)
{
    Screen screen;
    screen.pixels = std::make_unique<WlrootsPixels>(connection);
    screen.ramps = std::make_unique<WlrootsGammaRamps>();
    screen.profiles = std::make_unique<WlrootsDisplayProfiles>();
    screen.monitors = std::make_unique<WlrootsMonitors>(connection);
    return screen;
}

std::variant<Platform, std::string> openPlatform()
{
    auto connected = connect();
    if (auto* why = std::get_if<std::string>(&connected)) return *why;
    const std::shared_ptr<Connection> connection = std::get<0>(std::move(connected));
    const auto overlay = std::make_shared<Overlay>(connection);
    Platform p;
    p.screen = screenOf(connection);
    p.pointer = std::make_unique<WlrootsPointer>(overlay);
    p.windows = std::make_unique<wayland::WaylandWindows>();
    p.clipboard = std::make_unique<wayland::WaylandClipboard>();
    p.shell = std::make_unique<wayland::WaylandShell>();
    p.keyboard = std::make_unique<wayland::WaylandKeyboard>();
    p.pickOverlay = std::make_unique<WlrootsPickOverlay>(overlay);
    return p;
}

std::variant<Screen, std::string> openScreen()
{
    auto connected = connect();
    if (auto* why = std::get_if<std::string>(&connected)) return *why;
    return screenOf(std::get<0>(connected));
}

} // namespace

// The helper processes are all X11's.
const SessionBackend Entry{Backend::Wlroots, "WAYLAND_DISPLAY", "wayland", checkDisplay, openPlatform, openScreen,
                           nullptr};

} // namespace tintora::wlroots
