#pragma once

#include <QWidget>

#include "platform/windows.h"

// Puts a window that is being shown into the topmost band, as every window of
// the program does each time it is shown. The request waits for the event
// loop, by which time the window is mapped.
void putInTopmostBandWhenShown(QWidget* window, tintora::Windows& windows);

// A window's on-top style: normal or stay-on-top. Setting the style a window
// already has does nothing; a change moves a shown window into or out of the
// topmost band at once.
struct TopmostBand {
    bool stayOnTop = false;
    void set(QWidget* window, tintora::Windows& windows, bool value);
};
