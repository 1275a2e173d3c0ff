#pragma once

#include <cstdint>

#include "platform/interface.h"

namespace tintora {

// Native window handle as the toolkit reports it (QWidget::winId()).
using NativeWindow = std::uintptr_t;

class Windows : public Interface {
public:
    // Puts a shown window into the topmost band or takes it out of it.
    // Does nothing when the window manager offers no such band.
    virtual void setTopmost(NativeWindow window, bool topmost) = 0;
};

} // namespace tintora
