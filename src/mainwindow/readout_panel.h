#pragma once

#include <QLabel>
#include <functional>
#include <optional>
#include <string>

#include "mainwindow/main_window_ui.h"
#include "probe/readout_text.h"
#include "probe/sampler.h"

class MainWindow;

// The main window's readouts: the Bitmap and LUT levels with their captions,
// the "#" colour, the swatch and the column separator, placed on the window
// itself (a press on a label drags the window). A tick that changes no text
// writes none.
class ReadoutPanel {
public:
    ReadoutPanel(MainWindow& window, MainWindowUi& ui, std::string decimalSeparator);

    // The sample's levels in the given format, what it lacks as missing
    // ("?", "#", the swatch in the window's colour); trace, when set, hears
    // the texts of every call whose readouts changed.
    void showSample(const tintora::Sample& s, tintora::ReadoutFormat format,
                    const std::function<void(const tintora::ReadoutTexts&)>& trace);
    // The ramp's status line and the display profile's as the "LUT:"
    // caption's tooltip, when either changed.
    void showStatus(const tintora::Sample& s);

private:
    QLabel* makeLabel(const char* text, int left, int top);
    void setLabelText(QLabel* label, const std::string& text);

    MainWindow& m_window;
    MainWindowUi& m_ui;
    std::string m_decimalSeparator;
    // The number format the readouts were last written in; nothing before
    // the first tick.
    std::optional<tintora::ReadoutFormat> m_readoutFormat;
    std::string m_lastTrace;
};
