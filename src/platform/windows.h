#pragma once

#include <cstdint>

namespace tintora {

// Native window handle as the toolkit reports it (QWidget::winId()).
using NativeWindow = std::uintptr_t;

class Windows {
public:
    Windows() = default;
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;
    virtual ~Windows() = default;

    // Puts a shown window into the topmost band or takes it out of it.
    // Does nothing when the window manager offers no such band.
    virtual void setTopmost(NativeWindow window, bool topmost) = 0;
};

} // namespace tintora
