#pragma once

#include "colourdialog/picking_surface.h"

// The hue-saturation field of the colour dialog: paints the model's field
// image and, unless a drag is under way, the cursor circle around the
// model's cursor point. A press of any button takes the focus, picks the
// colour under it (hue rounded) and keeps the system pointer inside the
// field, through the platform, until the button is released; a drag picks
// with the hue truncated. Its fixed size is the model's field size. Repaints
// itself when the model's cursor moves.
class ColourField : public PickingSurface {
    Q_OBJECT
public:
    ColourField(QWidget* parent, tintora::ColourModel& model, tintora::Pointer& pointer);
    ~ColourField() override;

    // The field's rectangle on the screen, in physical pixels: what the
    // pointer is confined to during a drag.
    tintora::Rect screenRect() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void hideEvent(QHideEvent* event) override;
    void pressAt(QPoint at) override;
    void dragTo(QPoint at) override;
    void releaseAt(QPoint at) override;

private:
    void endDrag();

    bool m_confined = false; // confine() called, release() not yet
};
