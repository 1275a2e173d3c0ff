#include "colourdialog/picking_surface.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "widgets/screen_image_paint.h"

using namespace tintora;

namespace {

QPoint pixelOf(const QMouseEvent* event)
{
    const QPointF p = event->position();
    return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

} // namespace

PickingSurface::PickingSurface(QWidget* parent, ColourModel& model, Pointer& pointer, int width, int height)
    : QWidget(parent), m_model(model), m_pointer(pointer)
{
    setFixedSize(width, height);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PickingSurface::paintImage(QPainter& painter, const ScreenImage& image)
{
    if (!drawScreenImage(painter, image)) painter.fillRect(rect(), palette().window());
}

void PickingSurface::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    pressAt(pixelOf(event));
}

void PickingSurface::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    dragTo(pixelOf(event));
}

void PickingSurface::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    releaseAt(pixelOf(event));
}
