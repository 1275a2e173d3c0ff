#include "mainwindow/swatch.h"

#include <QMouseEvent>

void Swatch::mousePressEvent(QMouseEvent* event)
{
    if (m_movesWindow)
        event->ignore(); // on to the window, which drags itself
    else
        event->accept();
}

void Swatch::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_movesWindow) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}
