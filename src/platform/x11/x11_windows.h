#pragma once

#include <memory>

#include "platform/windows.h"
#include "platform/x11/x11_connection.h"

namespace tintora::x11 {

class X11Windows final : public Windows {
public:
    explicit X11Windows(std::shared_ptr<Connection> connection);
    bool canKeepOnTop() override { return true; }
    void setTopmost(NativeWindow window, bool topmost) override;
    void leaveOutOfTaskBar(NativeWindow window) override;
    bool canPlaceWindows() override { return true; }

private:
    std::shared_ptr<Connection> m_connection;
};

} // namespace tintora::x11
