#include "colourdialog/marker_strip.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "colourdialog/brightness_scale.h"

using namespace tintora;

MarkerStrip::MarkerStrip(QWidget* parent, BrightnessScale& scale) : QWidget(parent), m_scale(scale) {}

std::optional<int> MarkerStrip::scaleRowOf(const QMouseEvent* event) const
{
    const int row = static_cast<int>(std::floor(event->position().y())) - Overhang;
    if (row < 0 || row >= m_scale.height()) return std::nullopt;
    return row;
}

void MarkerStrip::paintEvent(QPaintEvent*)
{
    // Whatever was drawn before is gone: the window's background shows
    // through everywhere but the triangle.
    QPainter p(this);
    for (const MarkerSpan& s : markerSpans(m_scale.model().markerRow()))
        p.fillRect(s.first, s.row + Overhang, s.last - s.first + 1, 1, Qt::black);
}

void MarkerStrip::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (const auto row = scaleRowOf(event)) m_scale.pressRow(*row);
}

void MarkerStrip::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (const auto row = scaleRowOf(event)) m_scale.dragToRow(*row);
}

void MarkerStrip::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    // A drag begun here ends with its release wherever that is, so no drag
    // is left running without a button.
    if (scaleRowOf(event) || m_scale.model().scaleDragging()) m_scale.endDrag();
}
