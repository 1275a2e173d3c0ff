#include "magnifier/magnifier_form.h"

#include <QEvent>

#include "shell/program_state.h"
#include "shell/tintora_form.h"

TForm3::TForm3(tintora::ProgramState& state, tintora::Platform& platform)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_platform(platform)
{
    setWindowTitle(QStringLiteral("Magnifier"));
    setFixedSize(ClientWidth, ClientHeight);
    move(0, 0);
}

void TForm3::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    putInTopmostBandWhenShown(this, *m_platform.windows);
}

bool TForm3::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(event);
}

void TForm3::FormActivate()
{
    if (TTintoraForm* main = m_state.TintoraForm) {
        main->activateWindow();
        main->setFocus();
    }
}
