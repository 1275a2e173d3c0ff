#pragma once

#include <QCheckBox>
#include <QWidget>
#include <optional>

#include "core/commands.h"
#include "platform/platform.h"
#include "widgets/main_window_link.h"

namespace tintora {
struct ProgramState;
}

// The settings dialog's widgets.
struct SettingsDialogUi {
    QCheckBox* slowPointerBox = nullptr;
};

// The settings dialog: a small tool window shown modally, one check box for
// the slow-pointer option. However it is closed, the box becomes the option.
class SettingsDialog : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 237;
    static constexpr int ClientHeight = 147;
    // The box's tooltip where the system lets no program set the speed.
    static constexpr const char* SpeedUnavailableText =
        "This session does not let programs change the pointer speed.";

    SettingsDialog(tintora::ProgramState& state, tintora::Platform& platform, MainWindowLink& mainWindow);

    // Shows the dialog modally; returns when it has been closed, the box
    // made the option (the caller sets the speed it asks for).
    void showModal();
    // Runs a command of the dialog's own key bindings (Esc, Ctrl+S: close).
    void runCommand(tintora::Command command);

    const SettingsDialogUi& ui() const { return m_ui; }

signals:
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void placeOverMainWindow();

    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
    MainWindowLink& m_mainWindow;
    SettingsDialogUi m_ui;
    bool m_placed = false;
};
