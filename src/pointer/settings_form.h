#pragma once

#include <QCheckBox>
#include <QWidget>
#include <optional>

#include "platform/platform.h"
#include "shell/commands.h"

namespace tintora {
struct ProgramState;
}

// The settings dialog: a small tool window shown modally, one check box for
// the slow-pointer option. However it is closed, the box becomes the option.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 237;
    static constexpr int ClientHeight = 147;

    TForm4(tintora::ProgramState& state, tintora::Platform& platform);

    QCheckBox* sCheckBox1;
    // The window's own commands: Закрыть (Esc, Ctrl+S).
    tintora::CommandTable ActionList1;

    // Shows the dialog modally; returns when it has been closed.
    void ShowModal();
    void ЗакрытьExecute();

    void FormKeyDown(const tintora::KeyChord& key);
    void FormKeyUp(const tintora::KeyChord& key);

signals:
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void FormClose();

    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
    bool m_placed = false;
};
