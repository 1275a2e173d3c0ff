#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QWidget>
#include <functional>

// The first place of a window reckoned with its whole size, frame included.
// A window manager's frame is known only once the window is shown, so the
// window is placed by its own size first and, when the frame comes, once
// more by the size with the frame. Without a window manager there is no
// frame and the first place stands.
//
// Made by WindowPlacement as a child of the window it places; it watches the
// window's show, move and resize events itself and goes once the frame has
// been counted.
class FramePlacement : public QObject {
    Q_OBJECT
public:
    // Where a window of that outer size puts the top-left corner of its
    // frame.
    using Place = std::function<QPoint(QSize outerSize)>;

    // Moves window to place(its size, with the frame where that is known
    // already) now, and again once the frame is known. A first place still
    // waiting for the frame gives way to the new one.
    static void placeFirst(QWidget* window, Place place);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FramePlacement(QWidget* window, Place place);
    // Places the window again when its frame is known now.
    void frameMayHaveChanged();

    QWidget* m_window;
    Place m_place;
};
