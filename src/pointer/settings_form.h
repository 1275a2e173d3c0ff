#pragma once

#include <QWidget>

namespace tintora {
struct ProgramState;
}

// The settings dialog: a small tool window shown modally.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 237;
    static constexpr int ClientHeight = 147;

    explicit TForm4(tintora::ProgramState& state);

private:
    tintora::ProgramState& m_state;
};
