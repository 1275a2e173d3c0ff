#pragma once

#include <QWidget>

#include "colourdialog/colour_model.h"
#include "platform/pointer.h"

// What the colour field and the brightness scale have in common: a widget of
// fixed size that paints one of the model's images, takes the focus when
// clicked, hands presses, drags and releases of any button on to the model
// at whole pixels, and says when the user picked a colour on it.
class PickingSurface : public QWidget {
    Q_OBJECT
public:
    tintora::ColourModel& model() const { return m_model; }

signals:
    // The user picked a colour here; colour is the model's current colour.
    void colourChanged(quint32 colour);

protected:
    PickingSurface(QWidget* parent, tintora::ColourModel& model, tintora::Pointer& pointer, int width, int height);

    // The mouse at pixel `at` of the surface (the event's position rounded
    // down, so a point left of or above the surface is negative).
    virtual void pressAt(QPoint at) = 0;
    virtual void dragTo(QPoint at) = 0;
    virtual void releaseAt(QPoint at) = 0;

    // Paints image over the whole surface, or the window's background while
    // the model has not built it yet.
    void paintImage(QPainter& painter, const tintora::ScreenImage& image);

    void mousePressEvent(QMouseEvent* event) final;
    void mouseMoveEvent(QMouseEvent* event) final;
    void mouseReleaseEvent(QMouseEvent* event) final;

    tintora::ColourModel& m_model;
    tintora::Pointer& m_pointer;
};
