#include "colourdialog/colour_field.h"

#include <QHideEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "widgets/screen_image_paint.h"
#include <cmath>

using namespace tintora;

namespace {

QPoint pointOf(const QMouseEvent* event)
{
    const QPointF p = event->position();
    return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

} // namespace

TColourField::TColourField(QWidget* parent, ColourModel& model, Pointer& pointer)
    : QWidget(parent), m_model(model), m_pointer(pointer)
{
    setFixedSize(model.fieldWidth, model.fieldHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The model may outlive the field (or the other way round, when the
    // dialog's members go before its children): the hook checks.
    m_model.onCursorChanged = [field = QPointer<TColourField>(this)] {
        if (field) field->update();
    };
}

TColourField::~TColourField()
{
    // The model may already be gone here; the pointer belongs to the
    // platform, which outlives every window.
    if (m_confined) m_pointer.release();
}

Rect TColourField::screenRect() const
{
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y(), width(), height()};
}

void TColourField::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!drawScreenImage(p, m_model.ExtBmp)) p.fillRect(rect(), palette().window());
    if (!m_model.FieldDrag) {
        // PaintCursor: a black ring, hollow, so the colour under it shows.
        const Rect box = cursorBox(m_model.CursorPoint);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRect(box.x, box.y, box.width, box.height));
    }
}

void TColourField::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    setFocus(Qt::MouseFocusReason);
    const QPoint at = pointOf(event);
    const bool changed = m_model.ColorPanelMouseDown(at.x(), at.y());
    update();
    m_pointer.confine(screenRect());
    m_confined = true;
    if (changed) emit colourChanged(m_model.sColor);
}

void TColourField::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    const QPoint at = pointOf(event);
    if (m_model.ColorPanelMouseMove(at.x(), at.y())) emit colourChanged(m_model.sColor);
}

void TColourField::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    endDrag();
}

void TColourField::hideEvent(QHideEvent* event)
{
    // Hidden with the button still down (the dialog closed by a key, say):
    // no release will come, so the pointer is set free here. Only then is the
    // model touched: a dialog being destroyed hides its children after its
    // members, the model among them, are gone.
    if (m_confined) endDrag();
    QWidget::hideEvent(event);
}

void TColourField::endDrag()
{
    m_pointer.release();
    m_confined = false;
    m_model.ColorPanelMouseUp();
    update();
}
