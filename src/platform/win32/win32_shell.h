#pragma once

#include "platform/shell.h"

namespace tintora::win32 {

// Addresses go to ShellExecuteW with the verb "open".
class Win32Shell final : public Shell {
public:
    void openUrl(const std::string& address) override;
};

} // namespace tintora::win32
