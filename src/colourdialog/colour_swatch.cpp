#include "colourdialog/colour_swatch.h"

#include <QPainter>

#include "widgets/qt_colour.h"

using namespace tintora;

void ColourSwatch::setColour(ColourValue colour)
{
    if (colour == m_colour) return;
    m_colour = colour;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), toQColor(m_colour));
}
