#pragma once

#include <memory>

#include "platform/pointer.h"
#include "platform/x11/x11_connection.h"

namespace tintora::x11 {

class X11Pointer final : public Pointer {
public:
    explicit X11Pointer(std::shared_ptr<Connection> connection);
    std::optional<Point> position() override;
    int speed() override;
    void setSpeed(int speed) override;
    bool canConfinePointer() override;
    void confine(Rect rect) override;
    void release() override;

private:
    std::shared_ptr<Connection> m_connection;
};

} // namespace tintora::x11
