#pragma once

#include <QToolButton>

// The pictures of the title strip's buttons, 12 x 12 each.
enum class ButtonImage {
    None = -1,
    Exit,
    PinOff,          // always on top is off
    PinOn,
    HexOff,          // hexadecimal readouts are off
    HexOn,
    MagnifierHidden,
    MagnifierShown,
    Gear,            // the settings
    FractionOff,     // fraction readouts are off
    FractionOn,
};

// The picture drawn for image; an empty pixmap for None.
QPixmap buttonPicture(ButtonImage image);

// A flat title-strip button showing one picture. The picture only shows an
// option's state; the state itself lives in the program state.
class TitleButton : public QToolButton {
    Q_OBJECT
public:
    static constexpr int Width = 23;
    static constexpr int Height = 21;

    explicit TitleButton(QWidget* parent, ButtonImage image = ButtonImage::None);

    ButtonImage image() const { return m_image; }
    void setImage(ButtonImage image);

private:
    ButtonImage m_image = ButtonImage::None;
};
