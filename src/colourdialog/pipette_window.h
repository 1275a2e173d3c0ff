#pragma once

#include <QCursor>
#include <QFrame>
#include <QPixmap>
#include <QWidget>
#include <optional>

#include "platform/platform.h"

// The pipette pointer: a 32 x 32 eyedropper drawn in black whose tip is the
// pixel (9, 21) of the picture; the hot spot is (8, 23).
namespace pipette {
inline constexpr QPoint HotSpot{8, 23};
inline constexpr QPoint Tip{9, 21};
QCursor cursor();
// The eyedropper alone, for the pipette button.
QPixmap glyph();
} // namespace pipette

// The pipette's picking window: borderless over the whole monitor, showing a
// copy of that monitor taken before it opened, with the pipette pointer. Its
// swatch stands where the dialog's new-colour swatch is on the screen and
// shows the colour under the eyedropper's tip (one right of and two above
// the hot spot) as the mouse moves. A press of any button picks that colour;
// Esc closes without one.
class PipetteWindow : public QWidget {
    Q_OBJECT
public:
    // image is a copy of monitor; swatchOnScreen is a screen rectangle;
    // current is the colour the swatch shows until the mouse moves.
    PipetteWindow(tintora::ScreenImage image, QRect monitor, QRect swatchOnScreen,
                  tintora::ColourValue current);

    // The swatch that shows the colour under the tip.
    QFrame* swatch() const { return m_swatch; }

    // Shows the window modally; the colour picked, or nothing after Esc.
    std::optional<tintora::ColourValue> pick();

    // The colour of the copy under the tip for the pointer's hot spot at p
    // (window pixels); a tip beyond the copy's edge takes its nearest pixel.
    std::optional<tintora::ColourValue> colourUnderTip(QPoint p) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showColour(tintora::ColourValue colour);

    QFrame* m_swatch = nullptr;
    tintora::ScreenImage m_image;
    bool m_imageComplete = false; // m_image holds all its pixels
    QRect m_swatchOnScreen;
    std::optional<tintora::ColourValue> m_picked;
    bool m_closed = false;

signals:
    void closed();
};
