#pragma once

#include <memory>
#include <string>
#include <variant>

#include "platform/pointer.h"
#include "platform/screen.h"
#include "platform/windows.h"

namespace tintora {

// Everything the program asks of the system, one interface per group.
struct Platform {
    std::unique_ptr<Screen> screen;
    std::unique_ptr<Pointer> pointer;
    std::unique_ptr<Windows> windows;
};

// Opens the platform of this build (X11 on Linux). On failure the result holds
// a message for the user saying why the program cannot run.
std::variant<Platform, std::string> openPlatform();

} // namespace tintora
