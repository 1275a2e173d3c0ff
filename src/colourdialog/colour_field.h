#pragma once

#include <QWidget>

#include "colourdialog/colour_model.h"
#include "platform/pointer.h"

// The hue-saturation field (ColorPanel): paints the model's field image and,
// unless a drag is under way, the cursor circle around CursorPoint. A press
// of any button takes the focus, picks the colour under it (hue rounded) and
// keeps the system pointer inside the field, through the platform, until the
// button is released; a drag picks with the hue truncated. Its fixed size is
// the model's field size. Repaints itself when the model's cursor moves.
class TColourField : public QWidget {
    Q_OBJECT
public:
    TColourField(QWidget* parent, tintora::ColourModel& model, tintora::Pointer& pointer);
    ~TColourField() override;

    // The field's rectangle on the screen, in physical pixels: what the
    // pointer is confined to during a drag.
    tintora::Rect screenRect() const;

signals:
    // The user picked a colour on the field; colour is the model's sColor.
    void colourChanged(quint32 colour);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void endDrag();

    tintora::ColourModel& m_model;
    tintora::Pointer& m_pointer;
    bool m_confined = false; // confine() called, release() not yet
};
