#pragma once

#include <QWidget>

#include "colourdialog/palettes.h"
#include "platform/platform.h"

// One opening of the colour dialog: the window is created by run() and
// destroyed before it returns.
class ColourChooser {
public:
    // owner: the window whose monitor the dialog is centred on (may be none).
    // sessionColours: the custom colours kept for the run of the program
    // (never saved), which every closing of the dialog replaces with its
    // custom palette; the caller keeps them from one opening to the next.
    ColourChooser(tintora::Platform& platform, QWidget* owner, tintora::ColourStrings& sessionColours);

    tintora::ColourValue colour = 0;     // in; after OK, the chosen colour
    tintora::ColourStrings customColours; // the custom palette, in and out

    // Runs the dialog modally; true when it was closed by OK.
    bool run();

private:
    tintora::Platform& m_platform;
    QWidget* m_owner;
    tintora::ColourStrings& m_sessionColours;
};
