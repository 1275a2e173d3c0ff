#pragma once

#include <memory>

#include "platform/pointer.h"
#include "platform/x11/x11_connection.h"

namespace tintora::x11 {

class X11Pointer final : public Pointer {
public:
    explicit X11Pointer(std::shared_ptr<Connection> connection);
    std::optional<Point> position() override;

private:
    std::shared_ptr<Connection> m_connection;
};

} // namespace tintora::x11
