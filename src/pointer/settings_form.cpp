#include "pointer/settings_form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>

#include "pointer/pointer_aids.h"
#include "shell/program_state.h"
#include "shell/tintora_form.h"
#include "shell/window_band.h"

using namespace tintora;

TForm4::TForm4(ProgramState& state, Platform& platform)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_state(state),
      m_platform(platform)
{
    setWindowTitle(QStringLiteral("Настройки"));
    setFixedSize(ClientWidth, ClientHeight);
    setWindowModality(Qt::ApplicationModal);
    sCheckBox1 = new QCheckBox(QStringLiteral("Замедлить мышь"), this);
    sCheckBox1->setGeometry(8, 8, 112, 15);
    sCheckBox1->adjustSize(); // the caption needs its full width in any font
    sCheckBox1->move(8, 8);
    ActionList1 = {{"Закрыть", keys::Escape, {CtrlBit | 'S'}, [this] { ЗакрытьExecute(); }}};
}

void TForm4::ShowModal()
{
    if (!m_placed) {
        // Centred over the main window the first time, kept inside the work
        // area's left and top edges; afterwards where the user left it.
        m_placed = true;
        const QWidget* main = m_state.TintoraForm;
        if (main) {
            const QRect frame = frameGeometry();
            int x = main->x() + (main->width() - frame.width()) / 2;
            int y = main->y() + (main->height() - frame.height()) / 2;
            const Rect area = m_platform.screen->workAreaAt({main->x() + main->width() / 2, main->y() + main->height() / 2});
            if (x < area.left()) x = area.left();
            if (y < area.top()) y = area.top();
            move(x, y);
        }
    }
    QEventLoop loop;
    connect(this, &TForm4::closed, &loop, &QEventLoop::quit);
    show();
    raise();
    activateWindow();
    loop.exec();
}

void TForm4::showEvent(QShowEvent* event)
{
    FormShow();
    QWidget::showEvent(event);
}

void TForm4::FormShow()
{
    putInTopmostBandWhenShown(this, *m_platform.windows);
    sCheckBox1->setChecked(m_state.SlowMouse);
}

void TForm4::ЗакрытьExecute() { close(); }

void TForm4::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    emit closed();
}

void TForm4::FormClose()
{
    m_state.SlowMouse = sCheckBox1->isChecked();
    if (m_state.SlowMouse)
        SetMouseSens(m_state, *m_platform.pointer);
    else
        m_platform.pointer->setSpeed(m_state.SavedMouseSpeed);
}

void TForm4::FormKeyDown(const KeyChord& key) { inversionKeyDown(m_state, *m_platform.pointer, key.ctrl); }

void TForm4::FormKeyUp(const KeyChord&) { inversionKeyUp(m_state, *m_platform.pointer); }
