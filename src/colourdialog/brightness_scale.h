#pragma once

#include <QPointer>

#include "colourdialog/marker_strip.h"
#include "colourdialog/picking_surface.h"

// The brightness scale of the colour dialog: paints the model's scale image.
// A press of any button takes the focus and takes the colour of its row; a
// drag keeps taking colours, white above the scale and the darkest row below
// it. Its fixed size is the model's scale size. With a parent it creates its
// marker strip beside itself and keeps it there when the scale or the parent
// moves or resizes. Repaints itself and the strip when the model says so.
class BrightnessScale : public PickingSurface {
    Q_OBJECT
public:
    BrightnessScale(QWidget* parent, tintora::ColourModel& model, tintora::Pointer& pointer);
    ~BrightnessScale() override;

    // The strip beside the scale, or nullptr without a parent.
    MarkerStrip* markerStrip() const { return m_strip; }

    // The mouse on row `row`, counted from the scale's top; the strip hands
    // its rows on to these too.
    void pressRow(int row);
    void dragToRow(int row);
    void endDrag();

protected:
    void paintEvent(QPaintEvent*) override;
    void pressAt(QPoint at) override;
    void dragTo(QPoint at) override;
    void releaseAt(QPoint at) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeStrip();

    QPointer<MarkerStrip> m_strip;
};
