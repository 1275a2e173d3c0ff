#pragma once

// Text at the boundary to the Windows API: the program's strings are UTF-8,
// the system's wide-character (UTF-16) functions take and give wchar_t.

#include <string>
#include <string_view>

#include "platform/win32/win32_api.h"

namespace tintora::win32 {

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

// The system's description of an error code (GetLastError()), in the user's
// language, without the line end FormatMessage puts after it.
std::string systemErrorText(DWORD code);

} // namespace tintora::win32
