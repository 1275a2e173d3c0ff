#pragma once

#include <QLineEdit>

#include "platform/screen.h"

// The decimal field of the colour dialog: a number taken as a colour value,
// truncated, bits above the lowest 24 dropped. When the focus leaves after
// typing, the text shows the colour value it gave.
class DecimalEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DecimalEdit(QWidget* parent);
    tintora::ColourValue colour() const;

protected:
    void focusOutEvent(QFocusEvent* event) override;
};
