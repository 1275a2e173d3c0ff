#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/session_backends.h"
#include "platform/wayland/mutter_gamma.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/wayland/wayland_keyboard.h"
#include "platform/wayland/wayland_pointer.h"
#include "platform/wayland/wayland_screen.h"

namespace tintora::wayland {

namespace {

// The first frame comes as soon as the compositor has painted once: at
// once on an idle machine, seconds later on a busy one.
constexpr std::chrono::milliseconds FirstFrameTimeout{20000};

// The compositor's socket: $WAYLAND_DISPLAY itself when it is a path, else
// under $XDG_RUNTIME_DIR.
std::string socketPath(std::string& why)
{
    const std::string name = std::getenv("WAYLAND_DISPLAY");
    if (name.front() == '/') return name;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) {
        why = "No Wayland display: $XDG_RUNTIME_DIR, where the compositor's socket lies, is not set.";
        return {};
    }
    return std::string(runtime) + "/" + name;
}

// The restore token beside the user's settings, in the program's folder
// under the user's configuration directory.
std::string tokenFile()
{
    const std::string config = userConfigDirectory();
    return config.empty() ? std::string() : config + "/tintora/screen-cast-restore-token";
}

std::variant<std::shared_ptr<ScreenCast>, std::string> startScreenCast()
{
    auto cast = std::make_shared<ScreenCast>();
    std::string error;
    cast->portal = ScreenCastPortal::start(tokenFile(), error);
    if (!cast->portal) return error;
    const int fd = cast->portal->openPipeWireRemote(error);
    if (fd < 0) return error;
    cast->frames = PipeWireFrames::open(fd, cast->portal->node(), error);
    if (!cast->frames) return error;
    if (!cast->frames->waitForFirstFrame(FirstFrameTimeout)) {
        const std::string failure = cast->frames->failure();
        return "The screen cast started but sent no picture" + (failure.empty() ? std::string(".") : ": " + failure);
    }
    cast->area = cast->portal->area();
    if (cast->area.isEmpty()) {
        // The portal did not say the monitor's size: the frames' is it.
        cast->frames->withNewestFrame([&](const FrameView& frame) {
            cast->area.width = frame.width;
            cast->area.height = frame.height;
        });
    }
    return cast;
}

// The screen's parts: the cast for pixels and monitors, Mutter for ramps.
Screen screenOf(const std::shared_ptr<ScreenCast>& cast)
{
    Screen screen;
    screen.pixels = std::make_unique<WaylandPixels>(cast);
    screen.ramps = std::make_unique<MutterGamma>();
    screen.profiles = std::make_unique<WaylandDisplayProfiles>();
    screen.monitors = std::make_unique<WaylandMonitors>(cast);
    return screen;
}

DisplayServerCheck checkDisplay()
{
    std::string why;
    const std::string path = socketPath(why);
    if (path.empty()) return {false, false, why};
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return {false, false, "No Wayland display: the socket path \"" + path + "\" is too long."};
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool reached = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) ::close(fd);
    if (!reached) return {false, false, "Cannot reach the Wayland display \"" + path + "\"."};
    return {true, false, {}};
}

std::variant<Platform, std::string> openPlatform()
{
    auto started = startScreenCast();
    if (auto* why = std::get_if<std::string>(&started)) return *why;
    auto cast = std::get<0>(std::move(started));
    Platform p;
    p.screen = screenOf(cast);
    p.pointer = std::make_unique<WaylandPointer>(cast);
    p.windows = std::make_unique<WaylandWindows>();
    p.clipboard = std::make_unique<WaylandClipboard>();
    p.shell = std::make_unique<WaylandShell>();
    p.keyboard = std::make_unique<WaylandKeyboard>();
    return p;
}

std::variant<Screen, std::string> openScreen()
{
    auto started = startScreenCast();
    if (auto* why = std::get_if<std::string>(&started)) return *why;
    return screenOf(std::get<0>(started));
}

} // namespace

// The helper processes are all X11's.
const SessionBackend Entry{Backend::Wayland, "WAYLAND_DISPLAY", "wayland", checkDisplay, openPlatform, openScreen,
                           nullptr};

} // namespace tintora::wayland
