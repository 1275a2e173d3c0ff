#include "platform/win32/win32_shell.h"

#include "platform/win32/win32_api.h"

#include <shellapi.h>

#include "platform/win32/win32_text.h"

namespace tintora::win32 {

void Win32Shell::openUrl(const std::string& address)
{
    const std::wstring wide = wideFromUtf8(address);
    ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace tintora::win32
