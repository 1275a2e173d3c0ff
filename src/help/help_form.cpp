#include "help/help_form.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "pointer/pointer_aids.h"
#include "shell/program_state.h"
#include "shell/tintora_form.h"
#include "shell/window_band.h"

TForm2::TForm2(tintora::ProgramState& state, tintora::Platform& platform)
    : QWidget(nullptr, Qt::Window), m_state(state), m_platform(platform)
{
    setWindowTitle(QStringLiteral("Справка"));
    resize(ClientWidth, ClientHeight);
    setMinimumSize(520, 306);
    ActionList1 = {{"Закрыть", tintora::keys::Escape, {tintora::keys::F1}, [this] { ЗакрытьExecute(); }}};
}

void TForm2::showHelp()
{
    show();
    raise();
    activateWindow();
}

void TForm2::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    putInTopmostBandWhenShown(this, *m_platform.windows);
}

void TForm2::ЗакрытьExecute() { close(); }

void TForm2::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window.
    FormClose();
    event->accept();
}

void TForm2::FormClose()
{
    if (TTintoraForm* main = m_state.TintoraForm) {
        main->activateWindow();
        main->setFocus();
    }
}

void TForm2::FormKeyDown(const tintora::KeyChord& key) { tintora::inversionKeyDown(m_state, *m_platform.pointer, key.ctrl); }

void TForm2::FormKeyUp(const tintora::KeyChord&) { tintora::inversionKeyUp(m_state, *m_platform.pointer); }
