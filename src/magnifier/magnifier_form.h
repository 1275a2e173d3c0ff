#pragma once

#include <QLabel>
#include <QMenu>
#include <QWidget>
#include <array>

#include "platform/platform.h"
#include "shell/window_band.h"

namespace tintora {
struct ProgramState;
}

// The magnified picture: paints the bitmap the last capture produced, and
// nothing (the frame's white fill shows) before the first capture.
class TMagnifierImage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // The picture, created at the first capture and reused afterwards.
    tintora::ScreenImage bitmap;
    bool captured = false;
    QMenu* popupMenu = nullptr;

protected:
    void paintEvent(QPaintEvent*) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

// The darkened strip over the top rows of the picture.
class TDarkStrip : public QWidget {
    Q_OBJECT
public:
    explicit TDarkStrip(QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
};

// The magnifier window: borderless, 203 x 203, docked above the main window.
// It never keeps the focus: the main window gets it back at once.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 203;
    static constexpr int ClientHeight = 203;

    TForm3(tintora::ProgramState& state, tintora::Platform& platform);

    TMagnifierImage* Image1;
    TDarkStrip* Image2;
    QLabel* sLabel1;
    QMenu* PopupMenu1;
    // The zoom items N21 ... N11, in menu order.
    std::array<QAction*, 8> zoomItems{};

    OnTopStyle onTop;

    // Writes the pointer coordinates into the label, right edge fixed.
    void setCoordinates(tintora::Point p);
    // A zoom item was chosen.
    void N21Click(QAction* item);

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FormActivate();

    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
};
