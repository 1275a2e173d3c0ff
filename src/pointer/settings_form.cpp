#include "pointer/settings_form.h"

TForm4::TForm4(tintora::ProgramState& state) : QWidget(nullptr, Qt::Tool), m_state(state)
{
    setWindowTitle(QStringLiteral("Настройки"));
    setFixedSize(ClientWidth, ClientHeight);
}
