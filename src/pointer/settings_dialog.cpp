#include "pointer/settings_dialog.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>

#include "core/program_state.h"
#include "widgets/window_placement.h"

using namespace tintora;

SettingsDialog::SettingsDialog(ProgramState& state, Platform& platform, MainWindowLink& mainWindow)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_state(state),
      m_platform(platform), m_mainWindow(mainWindow)
{
    setWindowTitle(QStringLiteral("Настройки"));
    setFixedSize(ClientWidth, ClientHeight);
    setWindowModality(Qt::ApplicationModal);
    m_ui.slowPointerBox = new QCheckBox(QStringLiteral("Замедлить мышь"), this);
    m_ui.slowPointerBox->setGeometry(8, 8, 112, 15);
    m_ui.slowPointerBox->adjustSize(); // the caption needs its full width in any font
    m_ui.slowPointerBox->move(8, 8);
}

void SettingsDialog::showModal()
{
    if (!m_placed) {
        // Centred over the main window the first time; afterwards where the
        // user left it.
        m_placed = true;
        placeOverMainWindow();
    }
    QEventLoop loop;
    connect(this, &SettingsDialog::closed, &loop, &QEventLoop::quit);
    show();
    raise();
    activateWindow();
    loop.exec();
    // However it was closed, the keys go back to the main window; without a
    // window manager nobody else would give them to it.
    m_mainWindow.focusMainWindow();
}

void SettingsDialog::placeOverMainWindow()
{
    // Kept inside the work area's left and top edges.
    WindowPlacement(m_platform).centreOver(this, m_mainWindow.mainWindowFrame());
}

void SettingsDialog::showEvent(QShowEvent* event)
{
    // Where the system lets no program set the speed, the box shows the slow
    // pointer off, as it is, and says why; the option itself stays as stored,
    // for sessions that allow it.
    const bool speedSettable = m_platform.pointer->canSetPointerSpeed();
    m_ui.slowPointerBox->setEnabled(speedSettable);
    m_ui.slowPointerBox->setToolTip(speedSettable ? QString() : QString::fromUtf8(SpeedUnavailableText));
    m_ui.slowPointerBox->setChecked(m_state.options.slowPointer && speedSettable);
    QWidget::showEvent(event);
}

void SettingsDialog::runCommand(Command command)
{
    if (command == Command::CloseWindow) close();
}

void SettingsDialog::closeEvent(QCloseEvent* event)
{
    // However the dialog is closed, the box becomes the option, unless the
    // system refuses the speed (the box disabled, the option left alone).
    // The speed follows it through the pointer aids, as the dialog returns.
    if (m_ui.slowPointerBox->isEnabled()) m_state.options.slowPointer = m_ui.slowPointerBox->isChecked();
    event->accept();
    emit closed();
}

