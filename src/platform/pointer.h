#pragma once

#include <optional>

#include "platform/geometry.h"

namespace tintora {

class Pointer {
public:
    Pointer() = default;
    Pointer(const Pointer&) = delete;
    Pointer& operator=(const Pointer&) = delete;
    virtual ~Pointer() = default;

    // Pointer position in physical pixels, or nothing when it cannot be read.
    virtual std::optional<Point> position() = 0;
};

} // namespace tintora
