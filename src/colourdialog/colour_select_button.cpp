#include "colourdialog/colour_select_button.h"

#include <QMouseEvent>
#include <QPixmap>

#include "colourdialog/colour_chooser.h"
#include "widgets/qt_colour.h"

using namespace tintora;

ColourSelectButton::ColourSelectButton(Platform& platform, QWidget* parent) : QToolButton(parent), m_platform(platform)
{
    setIconSize(QSize(GlyphWidth, GlyphHeight));
    setColour(0);
}

void ColourSelectButton::setColour(ColourValue colour)
{
    m_colour = withoutTopByte(colour);
    QPixmap glyph(GlyphWidth, GlyphHeight);
    glyph.fill(toQColor(m_colour));
    setIcon(glyph);
}

void ColourSelectButton::chooseColour()
{
    bool ok = false;
    {
        ColourChooser chooser(m_platform, window(), m_sessionColours);
        chooser.colour = m_colour;
        chooser.customColours = m_customColours;
        ok = chooser.run();
        if (ok) {
            setColour(chooser.colour);
            m_customColours = chooser.customColours;
        }
    }
    if (ok) emit colourChosen();
    emit clicked();
}

void ColourSelectButton::mouseReleaseEvent(QMouseEvent* event)
{
    // A click by the user goes the same way as chooseColour().
    if (event->button() == Qt::LeftButton && isDown() && hitButton(event->position().toPoint())) {
        setDown(false);
        event->accept();
        chooseColour();
        return;
    }
    QToolButton::mouseReleaseEvent(event);
}
