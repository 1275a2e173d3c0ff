#include "colourdialog/colour_field.h"

#include <QHideEvent>
#include <QPainter>
#include <QPointer>

using namespace tintora;

ColourField::ColourField(QWidget* parent, ColourModel& model, Pointer& pointer)
    : PickingSurface(parent, model, pointer, model.fieldWidth(), model.fieldHeight())
{
    // The model may outlive the field (or the other way round, when the
    // dialog's members go before its children): the hook checks.
    m_model.onCursorChanged = [field = QPointer<ColourField>(this)] {
        if (field) field->update();
    };
}

ColourField::~ColourField()
{
    // The model may already be gone here; the pointer belongs to the
    // platform, which outlives every window.
    if (m_confined) m_pointer.release();
}

Rect ColourField::screenRect() const
{
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y(), width(), height()};
}

void ColourField::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintImage(p, m_model.fieldImage());
    if (!m_model.fieldDragging()) {
        // The cursor: a black ring, hollow, so the colour under it shows.
        const Rect box = cursorBox(m_model.cursorPoint());
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRect(box.x, box.y, box.width, box.height));
    }
}

void ColourField::pressAt(QPoint at)
{
    setFocus(Qt::MouseFocusReason);
    const bool changed = m_model.fieldPressed(at.x(), at.y());
    update();
    m_pointer.confine(screenRect());
    m_confined = true;
    if (changed) emit colourChanged(m_model.currentColour());
}

void ColourField::dragTo(QPoint at)
{
    if (m_model.fieldDragged(at.x(), at.y())) emit colourChanged(m_model.currentColour());
}

void ColourField::releaseAt(QPoint) { endDrag(); }

void ColourField::hideEvent(QHideEvent* event)
{
    // Hidden with the button still down (the dialog closed by a key, say):
    // no release will come, so the pointer is set free here. Only then is the
    // model touched: a dialog being destroyed hides its children after its
    // members, the model among them, are gone.
    if (m_confined) endDrag();
    QWidget::hideEvent(event);
}

void ColourField::endDrag()
{
    m_pointer.release();
    m_confined = false;
    m_model.fieldReleased();
    update();
}
