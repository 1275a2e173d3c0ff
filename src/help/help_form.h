#pragma once

#include <QWidget>

namespace tintora {
struct ProgramState;
}

// The help window: an ordinary resizable top-level window without an owner.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 614;
    static constexpr int ClientHeight = 522;

    explicit TForm2(tintora::ProgramState& state);

private:
    tintora::ProgramState& m_state;
};
