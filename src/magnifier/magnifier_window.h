#pragma once

#include <QLabel>
#include <QMenu>
#include <QWidget>
#include <array>
#include <optional>

#include "platform/platform.h"
#include "widgets/main_window_link.h"
#include "widgets/window_placement.h"

namespace tintora {
struct ProgramState;
}

// The magnified picture: paints the bitmap the last capture produced, and
// nothing (the frame's white fill shows) before the first capture.
class MagnifierPicture : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Paints bitmap (owned by the magnifier window, alive as long as this
    // picture) from now on, and repaints.
    void showBitmap(const tintora::ScreenImage& bitmap);
    bool captured() const { return m_bitmap != nullptr; }

signals:
    // A context menu was asked for at globalPos.
    void menuRequested(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent*) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    const tintora::ScreenImage* m_bitmap = nullptr;
};

// The darkened strip over the top rows of the picture.
class DarkStrip : public QWidget {
    Q_OBJECT
public:
    explicit DarkStrip(QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
};

// The magnifier window's widgets.
struct MagnifierWindowUi {
    MagnifierPicture* picture = nullptr;
    DarkStrip* darkStrip = nullptr;
    QLabel* coordinatesLabel = nullptr;
    QMenu* zoomMenu = nullptr;
    // The zoom items from 0.5x up to 32x, in menu order.
    std::array<QAction*, 8> zoomItems{};
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

    // Stands on the main window's frame, left edges aligned (where the
    // program places its windows).
    void dockOn(const QRect& mainWindowFrame);
    // Writes the pointer coordinates into the label, right edge fixed.
    void setCoordinates(tintora::Point p);
    // Checks the menu item of zoom, or none when no item has that zoom.
    void showZoom(double zoom);
    // A zoom item was chosen.
    void chooseZoom(QAction* item);

    // Grabs the block around p at the state's zoom and shows it stretched
    // onto the picture with the crosshair, once per probe tick.
    void capture(tintora::Point p);
    // What the picture shows: empty before the first capture.
    const tintora::ScreenImage& pictureBitmap() const { return m_bitmap; }

    const MagnifierWindowUi& ui() const { return m_ui; }

signals:
    // Shown or hidden, by the program or by the window manager.
    void shownChanged();

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;

private:
    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
    MainWindowLink& m_mainWindow;
    MagnifierWindowUi m_ui;
    WindowPlacement m_placement;
    tintora::ScreenImage m_grab;         // the block of the latest capture, reused
    tintora::ScreenImage m_previousGrab; // the one before
    tintora::ScreenImage m_bitmap;       // the picture, made at the first capture
    std::optional<tintora::Point> m_shownCoordinates; // what the coordinates label says
    // Where the latest docking asked the window to stand, and whether that
    // request has been made again after the window manager reported another
    // place.
    std::optional<QPoint> m_dockedAt;
    bool m_dockAskedAgain = false;
};
