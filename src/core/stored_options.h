#pragma once

namespace tintora {

// The magnifier's zoom before any is chosen, and for a settings file without one.
constexpr double kDefaultZoom = 2.0;

// The options the user chooses, kept in the settings file from one run to
// the next. The values here are the ones the program holds before the file
// is read; what a file without a key gives is in the settings table
// (settings/settings_keys.cpp).
struct StoredOptions {
    bool alwaysOnTop = false;    // the main window and the magnifier stay above other windows
    bool hexadecimal = false;    // readouts in hexadecimal (wins over fractions)
    bool fractions = false;      // readouts as fractions 0-1
    bool magnifierShown = false; // the magnifier stands above the main window
    double zoom = kDefaultZoom;  // magnifier zoom factor
    bool slowPointer = true;     // the pointer runs at the slowest speed
    bool lutCurvesShown = false; // the LUT window with the ramp's curves is shown

    bool operator==(const StoredOptions&) const = default;
};

} // namespace tintora
