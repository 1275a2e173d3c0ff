#include "colourdialog/colour_chooser.h"

#include "colourdialog/colour_dialog.h"

using namespace tintora;

ColourChooser::ColourChooser(Platform& platform, QWidget* owner, ColourStrings& sessionColours)
    : m_platform(platform), m_owner(owner), m_sessionColours(sessionColours)
{
}

bool ColourChooser::run()
{
    ColourDialog dialog(m_platform, m_owner);
    dialog.prepare(colour, &customColours, &m_sessionColours);
    const bool ok = dialog.exec() == QDialog::Accepted;
    // The keyboard goes back to the window the dialog was opened from, with
    // or without a window manager to see to it.
    if (m_owner) m_owner->activateWindow();
    customColours = dialog.customColours();
    if (ok) colour = withoutTopByte(dialog.model().currentColour());
    return ok;
}
