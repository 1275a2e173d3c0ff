#include "widgets/program_font.h"

QFont programFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
