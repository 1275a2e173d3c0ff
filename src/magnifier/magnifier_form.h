#pragma once

#include <QWidget>

#include "platform/platform.h"
#include "shell/window_band.h"

namespace tintora {
struct ProgramState;
}

// The magnifier window: borderless, 203 x 203, docked above the main window.
// It never keeps the focus: the main window gets it back at once.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 203;
    static constexpr int ClientHeight = 203;

    TForm3(tintora::ProgramState& state, tintora::Platform& platform);

    OnTopStyle onTop;

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FormActivate();

    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
};
