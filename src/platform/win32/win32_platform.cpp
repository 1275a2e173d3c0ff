#include "platform/platform.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_keyboard.h"
#include "platform/win32/win32_pointer.h"
#include "platform/win32/win32_screen.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_windows.h"

namespace tintora {

// Windows has one backend, always usable.
std::optional<std::string> chooseBackend() { return std::nullopt; }

std::variant<Platform, std::string> openPlatform()
{
    Platform p;
    p.screen = win32::openWin32Screen();
    p.pointer = std::make_unique<win32::Win32Pointer>();
    p.windows = std::make_unique<win32::Win32Windows>();
    p.clipboard = std::make_unique<win32::Win32Clipboard>();
    p.shell = std::make_unique<win32::Win32Shell>();
    p.keyboard = std::make_unique<win32::Win32Keyboard>();
    return p;
}

std::variant<Screen, std::string> openScreen() { return win32::openWin32Screen(); }

std::optional<int> runPlatformHelper(int, char**)
{
    if (win32::startedAsWatchdog()) return win32::runWatchdog();
    return std::nullopt;
}

} // namespace tintora
