#pragma once

#include <QWidget>

namespace tintora {
struct ProgramState;
}

// The magnifier window: borderless, 203 x 203, docked above the main window.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 203;
    static constexpr int ClientHeight = 203;

    explicit TForm3(tintora::ProgramState& state);

private:
    tintora::ProgramState& m_state;
};
