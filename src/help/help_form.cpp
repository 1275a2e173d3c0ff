#include "help/help_form.h"

TForm2::TForm2(tintora::ProgramState& state) : QWidget(nullptr, Qt::Window), m_state(state)
{
    setWindowTitle(QStringLiteral("Справка"));
    resize(ClientWidth, ClientHeight);
    setMinimumSize(520, 306);
}
