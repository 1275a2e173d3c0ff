#pragma once

#include <cstdint>

#include "platform/interface.h"

namespace tintora {

// Native window handle as the toolkit reports it (QWidget::winId()).
using NativeWindow = std::uintptr_t;

class Windows : public Interface {
public:
    // Whether a window can be kept above the others at all: false where the
    // compositor alone stacks windows (Wayland).
    virtual bool canKeepOnTop() = 0;
    // Puts a shown window into the topmost band or takes it out of it.
    // Does nothing when the window manager offers no such band, or where
    // canKeepOnTop() is false.
    virtual void setTopmost(NativeWindow window, bool topmost) = 0;
    // Leaves a window that is being shown out of the task bar and the
    // pagers: it is a part of another window's look, which has the entry.
    // Called at every showing (window managers forget the state of a hidden
    // window). Where the system gives every window without an owner an
    // entry of its own (Windows), the window keeps it.
    virtual void leaveOutOfTaskBar(NativeWindow window) = 0;
    // Whether the program may place its windows itself. Where the compositor
    // alone places them (Wayland), a drag is handed to it instead.
    virtual bool canPlaceWindows() = 0;
};

} // namespace tintora
