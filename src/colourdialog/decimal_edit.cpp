#include "colourdialog/decimal_edit.h"

#include <QFocusEvent>
#include <QSignalBlocker>

#include "colourdialog/colour_entry.h"

using namespace tintora;

DecimalEdit::DecimalEdit(QWidget* parent) : QLineEdit(parent) {}

ColourValue DecimalEdit::colour() const { return decimalFieldColour(text().toStdString()); }

void DecimalEdit::focusOutEvent(QFocusEvent* event)
{
    if (isModified()) {
        // The number as the colour value it gave: nothing new to apply.
        const QSignalBlocker block(this);
        setText(QString::fromStdString(decimalFieldText(colour())));
    }
    QLineEdit::focusOutEvent(event);
}
