#pragma once

// Transitional, for the main window only: its hidden colour-select button
// under the spelling it still uses. Remove this file when the main window
// creates a ColourSelectButton (colour_select_button.h) itself.

#include "colourdialog/colour_select_button.h"

class TsColorSelect : public ColourSelectButton {
public:
    TsColorSelect(QWidget* parent, tintora::Platform& platform) : ColourSelectButton(platform, parent) {}
    void setColorValue(tintora::ColourValue colour) { setColour(colour); }
    void Click() { chooseColour(); }
};
