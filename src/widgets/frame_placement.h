#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>
#include <functional>

// The first place of a window reckoned with its whole size, frame included.
// A window manager's frame is known only once the window is shown, so the
// window is placed by its own size first and, when the frame comes, once
// more by the size with the frame. Without a window manager there is no
// frame and the first place stands.
class FramePlacement {
public:
    // Where a window of that outer size puts the top-left corner of its
    // frame.
    using Place = std::function<QPoint(QSize outerSize)>;

    // Moves window to place(its size, with the frame where that is known
    // already) now, and again once the frame is known (frameMayHaveChanged).
    void placeFirst(QWidget* window, Place place);
    // Called on the window's show, move and resize events.
    void frameMayHaveChanged(QWidget* window);

private:
    Place m_place;
};
