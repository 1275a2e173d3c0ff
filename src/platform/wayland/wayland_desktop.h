#pragma once

#include "platform/clipboard.h"
#include "platform/shell.h"
#include "platform/windows.h"

// What the Wayland backend does through Qt's Wayland plugin.

namespace tintora::wayland {

// A Wayland client cannot put its windows above the others' nor keep one
// out of task bars: the compositor alone stacks them and lists them, so
// neither is offered.
class WaylandWindows final : public Windows {
public:
    bool canKeepOnTop() override { return false; }
    void setTopmost(NativeWindow, bool) override {}
    void leaveOutOfTaskBar(NativeWindow) override {}
    bool canPlaceWindows() override { return false; }
};

// The clipboard through Qt. Once the program ends its text is gone, unless
// the desktop runs a clipboard manager (GNOME's Mutter keeps none).
class WaylandClipboard final : public Clipboard {
public:
    std::string setText(const std::string& text) override;
    void keepAfterExit() override {}
};

// Addresses through the desktop's default handlers.
class WaylandShell final : public Shell {
public:
    void openUrl(const std::string& address) override;
};

} // namespace tintora::wayland
