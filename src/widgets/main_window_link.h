#pragma once

#include <QRect>
#include <string>

// What the program's other windows need of the main window. The main window
// implements it; the others know the main window only through it.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;

    // The main window's place on the screen: the magnifier docks on it, the
    // settings dialog is centred over it, the help window opens on its monitor.
    virtual QRect mainWindowFrame() const = 0;
    // Gives the keyboard focus back to the main window.
    virtual void focusMainWindow() = 0;
    // Sets the pointer speed the options ask for again (after a zoom change).
    virtual void applySlowPointer() = 0;
    // Shows a message in the program's error box.
    virtual void showError(const std::string& message) = 0;
};
