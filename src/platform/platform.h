#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "platform/clipboard.h"
#include "platform/keyboard.h"
#include "platform/pick_overlay.h"
#include "platform/pointer.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/windows.h"

namespace tintora {

// Everything the program asks of the system, one interface per group.
struct Platform {
    Screen screen;
    std::unique_ptr<Pointer> pointer;
    std::unique_ptr<Windows> windows;
    std::unique_ptr<Clipboard> clipboard;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<Keyboard> keyboard;
    // Only where the pointer is known nothing but over the program's own
    // surfaces (wlroots): the pick mode's overlay. Elsewhere nullptr.
    std::unique_ptr<PickOverlay> pickOverlay;
};

// Decides, once and before the toolkit starts, which of this build's backends
// serves this session (on Linux X11 or Wayland, on Windows Win32); nothing
// when one can, else a message for the user saying why the program cannot
// run here. Call first: prepareToolkit() (platform/process.h) tells the
// toolkit the window system plugin that goes with the backend chosen.
std::optional<std::string> chooseBackend();

// Opens the platform of the backend chosen. Call once the application object
// exists (a backend may need its event loop to hear the system's answers).
// On failure the result holds a message for the user saying why the program
// cannot run.
std::variant<Platform, std::string> openPlatform();

// Opens only the screen of this build's platform, for reading pixels, ramps
// and profiles without a window: nothing else of the system is touched (the
// pointer and its state files stay as they are). The same refusal as
// openPlatform(), and likewise called once the (core) application object
// exists.
std::variant<Screen, std::string> openScreen();

// When this process was started as one of the platform's helper processes
// (one that keeps the clipboard's text after the program ends, say), runs it
// and returns its exit status; otherwise returns nothing at once. Called
// first thing in main().
std::optional<int> runPlatformHelper(int argc, char** argv);

} // namespace tintora
