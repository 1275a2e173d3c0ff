#pragma once

#include "platform/shell.h"

namespace tintora::x11 {

// Opens addresses through the desktop's default handlers (xdg-open).
class X11Shell final : public Shell {
public:
    void openUrl(const std::string& address) override;
};

} // namespace tintora::x11
