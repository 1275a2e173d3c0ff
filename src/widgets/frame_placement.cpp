#include "widgets/frame_placement.h"

#include <QWindow>
#include <utility>

void FramePlacement::placeFirst(QWidget* window, Place place)
{
    m_place = std::move(place);
    window->move(m_place(window->frameGeometry().size()));
}

void FramePlacement::frameMayHaveChanged(QWidget* window)
{
    if (!m_place || !window->isVisible()) return;
    const QMargins frame = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
    if (frame.isNull()) return;
    const Place place = std::exchange(m_place, nullptr);
    // move() places the frame's corner.
    window->move(place(window->size().grownBy(frame)));
}
