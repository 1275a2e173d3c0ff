#pragma once

#include <cstdint>
#include <string>

#include "core/rgb.h"
#include "core/stored_options.h"
#include "core/colour_types.h"

namespace tintora {

// What the program knows and has chosen, shared by its windows. One instance
// lives for the whole run; windows show these values and change them, none
// keeps its own copy of them. The latest sample is not here: it is the probe
// timer's owner's, the main window's (MainWindow::sample(), probe/sampler.h),
// and the windows take it from there.
struct ProgramState {
    // The options, kept in the settings file.
    StoredOptions options;

    // The run.
    std::int32_t userPointerSpeed = 0; // pointer speed found at start, given back at the end
    bool altHeld = false;        // Alt held at the main window's last key event
    bool ctrlHeld = false;       // Ctrl held at the main window's last key event
    std::string programDir;      // executable's directory, trailing separator
};

} // namespace tintora
