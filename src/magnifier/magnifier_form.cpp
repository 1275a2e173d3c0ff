#include "magnifier/magnifier_form.h"

TForm3::TForm3(tintora::ProgramState& state)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state)
{
    setWindowTitle(QStringLiteral("Magnifier"));
    setFixedSize(ClientWidth, ClientHeight);
}
