#pragma once

#include <QWidget>
#include <optional>

class BrightnessScale;

// The marker strip right of the brightness scale: a sibling of the scale in
// the same parent, from the scale's right edge to the parent's right edge
// and from Overhang rows above the scale to Overhang rows below it, painting
// the black triangle at the model's marker row over the window's background.
// Presses and moves on the rows beside the scale go to the scale, the row
// counted from the scale's top; a release always ends a drag begun here.
class MarkerStrip : public QWidget {
    Q_OBJECT
public:
    // Rows of the strip above the scale's top row.
    static constexpr int Overhang = 7;

    MarkerStrip(QWidget* parent, BrightnessScale& scale);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The scale row beside the event, or nothing above or below the scale.
    std::optional<int> scaleRowOf(const QMouseEvent* event) const;

    BrightnessScale& m_scale;
};
