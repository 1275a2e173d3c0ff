#pragma once

#include "core/program_state.h"
#include "mainwindow/main_window_ui.h"
#include "platform/platform.h"

class MainWindow;

// The main window's title strip: gear, F1, D, H, magnifier, pin and exit,
// whose clicks run the window's commands and whose pictures draw the
// options' state; and the hidden button that opens the colour dialog.
class TitleStrip {
public:
    TitleStrip(MainWindow& window, MainWindowUi& ui, tintora::ProgramState& state, tintora::Platform& platform);

    // Draws the options' state on the buttons.
    void showOptionButtons();
    // The "F1" caption yellow while the program is active, grey while not.
    void showActive(bool active);

private:
    void setHelpButtonColour(const QColor& colour);

    MainWindow& m_window;
    MainWindowUi& m_ui;
    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
};
