#include "colourdialog/colour_swatch.h"

#include <QPainter>

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
    p.fillRect(rect(), QColor(m_colour & 0xFF, (m_colour >> 8) & 0xFF, (m_colour >> 16) & 0xFF));
}
