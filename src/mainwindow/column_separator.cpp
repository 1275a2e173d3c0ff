#include "mainwindow/column_separator.h"

#include <QMouseEvent>
#include <QPainter>

void ColumnSeparator::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(1, 0, 1, height() - 1);
}

void ColumnSeparator::mousePressEvent(QMouseEvent* event) { event->accept(); }
