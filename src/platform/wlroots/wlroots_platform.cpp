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

} // namespace

bool offersScreenCopy()
{
    std::string why;
    const std::unique_ptr<Connection> connection = Connection::open(why);
    return connection && connection->offersScreenCopyAndOverlay();
}

std::variant<Platform, std::string> openWlrootsPlatform()
{
    auto connected = connect();
    if (auto* why = std::get_if<std::string>(&connected)) return *why;
    const std::shared_ptr<Connection> connection = std::get<0>(std::move(connected));
    const auto overlay = std::make_shared<Overlay>(connection);
    Platform p;
    p.screen = std::make_unique<WlrootsScreen>(connection);
    p.pointer = std::make_unique<WlrootsPointer>(overlay);
    p.windows = std::make_unique<wayland::WaylandWindows>();
    p.clipboard = std::make_unique<wayland::WaylandClipboard>();
    p.shell = std::make_unique<wayland::WaylandShell>();
    p.keyboard = std::make_unique<wayland::WaylandKeyboard>();
    p.pickOverlay = std::make_unique<WlrootsPickOverlay>(overlay);
    return p;
}

std::variant<std::unique_ptr<Screen>, std::string> openWlrootsScreen()
{
    auto connected = connect();
    if (auto* why = std::get_if<std::string>(&connected)) return *why;
    return std::unique_ptr<Screen>(std::make_unique<WlrootsScreen>(std::get<0>(std::move(connected))));
}

} // namespace tintora::wlroots
