#pragma once

// Colour-dialog readouts that go nowhere: for driving the colour model alone.

#include <string>

#include "colourdialog/colour_model.h"

namespace tintora::fake {

struct NoReadouts : ColourReadouts {
    void setHue(double) override {}
    void setSaturation(double) override {}
    void setBrightness(double) override {}
    void setRed(int) override {}
    void setGreen(int) override {}
    void setBlue(int) override {}
    void setDecimalText(const std::string&) override {}
    void setHexText(const std::string&) override {}
    void currentColourChanged(ColourValue) override {}
    void clearStalePaletteSelection() override {}
};

} // namespace tintora::fake
