#include "support/keyboard_layouts.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace tintora::test {

std::string setKeyboardLayouts(const Xvfb& server, const std::string& layouts)
{
    TempFile errors;
    ChildProcess tool("setxkbmap", {"-layout", layouts}, server.clientEnvironment(), errors.path());
    if (!tool.error().empty()) return "setxkbmap: " + tool.error();
    const auto status = tool.waitForExit(10000ms);
    if (!status || *status != 0) return "setxkbmap -layout " + layouts + " failed: " + errors.contents();
    return {};
}

bool activateLayout(Xvfb& server, int group)
{
    Display* d = server.display();
    if (!d || !XkbLockGroup(d, XkbUseCoreKbd, static_cast<unsigned>(group))) return false;
    XSync(d, False);
    return waitUntil(5000ms, [&] {
        XkbStateRec state{};
        return XkbGetState(d, XkbUseCoreKbd, &state) == Success && state.locked_group == group;
    });
}

} // namespace tintora::test
