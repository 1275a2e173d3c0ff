#pragma once

#include <QToolButton>

// A flat title-strip button showing one picture of the button image list.
// The picture's index is part of the program's state: some commands read it
// back to learn whether their option is on.
class TSpeedButton : public QToolButton {
    Q_OBJECT
public:
    static constexpr int NoImage = -1;
    static constexpr int Width = 23;
    static constexpr int Height = 21;

    explicit TSpeedButton(QWidget* parent, int imageIndex = NoImage);

    int ImageIndex() const { return m_imageIndex; }
    void setImageIndex(int index);

private:
    int m_imageIndex;
};

// The ten 12 x 12 pictures of the title strip, by index: 0 exit, 1 pin off,
// 2 pin on, 3 H off, 4 H on, 5 magnifier hidden, 6 magnifier shown, 7 gear,
// 8 D off, 9 D on.
QPixmap buttonImage(int index);
