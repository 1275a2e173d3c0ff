#pragma once

#include <QPointer>
#include <QWidget>

#include "colourdialog/colour_model.h"
#include "platform/pointer.h"

class TBrightnessScale;

// The marker strip right of the scale: a sibling of the scale in the same
// parent, from the scale's right edge to the parent's right edge and from 7
// rows above the scale to 7 rows below it, painting the black triangle at
// MarkerRow over the window's background. Presses and moves on the rows
// beside the scale (MarkerRect) go to the scale, the row counted from the
// scale's top; a release always ends a drag begun here.
class TMarkerStrip : public QWidget {
    Q_OBJECT
public:
    // Rows of the strip above the scale's top row.
    static constexpr int Overhang = 7;

    TMarkerStrip(QWidget* parent, TBrightnessScale& scale);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TBrightnessScale& m_scale;
};

// The brightness scale (GradPanel): paints the model's scale image. A press
// of any button takes the focus and takes the colour of its row; a drag keeps
// taking colours, white above the scale and the darkest row below it. Its
// fixed size is the model's scale size. With a parent it creates its marker
// strip beside itself and keeps it there when the scale or the parent moves
// or resizes. Repaints itself and the strip when the model says so.
class TBrightnessScale : public QWidget {
    Q_OBJECT
public:
    TBrightnessScale(QWidget* parent, tintora::ColourModel& model, tintora::Pointer& pointer);
    ~TBrightnessScale() override;

    // The strip beside the scale, or nullptr without a parent.
    TMarkerStrip* markerStrip() const { return m_strip; }
    tintora::ColourModel& model() const { return m_model; }

    // The mouse handlers, row y counted from the scale's top; the strip
    // forwards to them too.
    void GradPanelMouseDown(int y);
    void GradPanelMouseMove(int y);
    void GradPanelMouseUp();

signals:
    // The user took a colour from the scale; colour is the model's sColor.
    void colourChanged(quint32 colour);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeStrip();

    tintora::ColourModel& m_model;
    tintora::Pointer& m_pointer;
    QPointer<TMarkerStrip> m_strip;
};
