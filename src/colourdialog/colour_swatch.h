#pragma once

#include <QWidget>

#include "platform/screen.h"

// A swatch filled with one colour: the dialog's new and old colour.
class ColourSwatch : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    tintora::ColourValue colour() const { return m_colour; }
    void setColour(tintora::ColourValue colour);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    tintora::ColourValue m_colour = 0;
};
