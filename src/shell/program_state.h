#pragma once

#include <cstdint>
#include <string>

#include "platform/screen.h"

class TTintoraForm;
class TForm2;
class TForm3;
class TForm4;

namespace tintora {

// Three channel levels 0-255 in the order red, green, blue.
struct Rgb {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The program-wide variables through which the windows talk to each other.
// One instance lives for the whole run; handlers read and write it directly.
struct ProgramState {
    Rgb BitmapColor;             // the pixel under the pointer at the last tick
    Rgb LutColor;                // BitmapColor through GammaRamp, same tick
    GammaTable GammaRamp{};      // the adapter's ramp as last read
    bool HexMode = false;        // readouts in hexadecimal
    bool DecMode = false;        // readouts as fractions 0-1
    double Zoom = 2.0;           // magnifier zoom factor
    bool SlowMouse = true;       // slow-pointer option
    std::int32_t SavedMouseSpeed = 0; // pointer speed found at start
    bool AltHeld = false;        // Alt held at the main window's last key event
    bool CtrlHeld = false;       // Ctrl held at the main window's last key event
    std::string ProgramDir;      // executable's directory, trailing separator

    // The four windows, set once at start-up.
    TTintoraForm* TintoraForm = nullptr;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;
};

} // namespace tintora
