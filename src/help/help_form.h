#pragma once

#include <QWidget>

#include "platform/platform.h"
#include "shell/commands.h"

namespace tintora {
struct ProgramState;
}

// The help window: an ordinary resizable top-level window without an owner.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 614;
    static constexpr int ClientHeight = 522;

    TForm2(tintora::ProgramState& state, tintora::Platform& platform);

    // The window's own commands: Закрыть (Esc, F1).
    tintora::CommandTable ActionList1;

    // Shows the window and brings it to the front.
    void showHelp();
    void ЗакрытьExecute();

    void FormKeyDown(const tintora::KeyChord& key);
    void FormKeyUp(const tintora::KeyChord& key);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();

    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
};
