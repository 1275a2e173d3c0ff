#include "colourdialog/colour_chooser.h"

#include "colourdialog/colour_dialog.h"

using namespace tintora;

ColourStrings sessionCustomColours = initialCustomColours();

ColourChooser::ColourChooser(Platform& platform, QWidget* owner) : m_platform(platform), m_owner(owner) {}

bool ColourChooser::run()
{
    ColourDialog dialog(m_platform, m_owner);
    dialog.prepare(colour, &customColours, &sessionCustomColours);
    const bool ok = dialog.exec() == QDialog::Accepted;
    // The keyboard goes back to the window the dialog was opened from, with
    // or without a window manager to see to it.
    if (m_owner) m_owner->activateWindow();
    customColours = dialog.customPalette->colours();
    if (ok) colour = withoutTopByte(dialog.model.currentColour());
    return ok;
}
