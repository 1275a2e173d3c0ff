#include "platform/win32/win32_windows.h"

#include "platform/win32/win32_api.h"

namespace tintora::win32 {

void Win32Windows::setTopmost(NativeWindow window, bool topmost)
{
    SetWindowPos(reinterpret_cast<HWND>(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

} // namespace tintora::win32
