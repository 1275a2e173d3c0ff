#include "widgets/frame_placement.h"

#include <QEvent>
#include <QWindow>
#include <utility>

FramePlacement::FramePlacement(QWidget* window, Place place) : QObject(window), m_window(window), m_place(std::move(place))
{
    window->installEventFilter(this);
}

void FramePlacement::placeFirst(QWidget* window, Place place)
{
    for (FramePlacement* waiting : window->findChildren<FramePlacement*>(Qt::FindDirectChildrenOnly)) delete waiting;
    window->move(place(window->frameGeometry().size()));
    // A window shown with its frame already known has been placed by its
    // whole size.
    const bool frameKnown = window->isVisible() && window->windowHandle() && !window->windowHandle()->frameMargins().isNull();
    if (!frameKnown) new FramePlacement(window, std::move(place));
}

bool FramePlacement::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        // The window manager's frame arrives after the window is shown.
        if (watched == m_window) frameMayHaveChanged();
        break;
    default: break;
    }
    return false;
}

void FramePlacement::frameMayHaveChanged()
{
    if (!m_place || !m_window->isVisible()) return;
    const QMargins frame = m_window->windowHandle() ? m_window->windowHandle()->frameMargins() : QMargins();
    if (frame.isNull()) return;
    const Place place = std::exchange(m_place, nullptr);
    // move() places the frame's corner.
    m_window->move(place(m_window->size().grownBy(frame)));
    deleteLater();
}
