#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "platform/clipboard.h"
#include "platform/keyboard.h"
#include "platform/pointer.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/windows.h"

namespace tintora {

// Everything the program asks of the system, one interface per group.
struct Platform {
    std::unique_ptr<Screen> screen;
    std::unique_ptr<Pointer> pointer;
    std::unique_ptr<Windows> windows;
    std::unique_ptr<Clipboard> clipboard;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<Keyboard> keyboard;
};

// Opens the platform of this build (X11 on Linux). On failure the result holds
// a message for the user saying why the program cannot run.
std::variant<Platform, std::string> openPlatform();

// When this process was started as one of the platform's helper processes
// (one that keeps the clipboard's text after the program ends, say), runs it
// and returns its exit status; otherwise returns nothing at once. Called
// first thing in main().
std::optional<int> runPlatformHelper(int argc, char** argv);

} // namespace tintora
