#pragma once

#include <QLabel>
#include <QMenu>
#include <QWidget>
#include <array>

#include "platform/platform.h"
#include "widgets/main_window_link.h"
#include "widgets/topmost_band.h"

namespace tintora {
struct ProgramState;
}

// The magnified picture: paints the bitmap the last capture produced, and
// nothing (the frame's white fill shows) before the first capture.
class MagnifierPicture : public QWidget {
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
class DarkStrip : public QWidget {
    Q_OBJECT
public:
    explicit DarkStrip(QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
};

// The magnifier window: borderless, 203 x 203, docked above the main window.
// It never keeps the focus: the main window gets it back at once. Whether it
// is shown is kept in the program state.
class MagnifierWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 203;
    static constexpr int ClientHeight = 203;

    MagnifierWindow(tintora::ProgramState& state, tintora::Platform& platform, MainWindowLink& mainWindow);

    MagnifierPicture* picture;
    DarkStrip* darkStrip;
    QLabel* coordinatesLabel;
    QMenu* zoomMenu;
    // The zoom items from 0.5x up to 32x, in menu order.
    std::array<QAction*, 8> zoomItems{};

    TopmostBand topmostBand;

    // Stands on the main window's frame, left edges aligned.
    void dockOn(const QRect& mainWindowFrame);
    // Writes the pointer coordinates into the label, right edge fixed.
    void setCoordinates(tintora::Point p);
    // Checks the menu item of zoom, or none when no item has that zoom.
    void showZoom(double zoom);
    // A zoom item was chosen.
    void chooseZoom(QAction* item);

signals:
    // Shown or hidden, by the program or by the window manager.
    void shownChanged();

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
    MainWindowLink& m_mainWindow;
};
