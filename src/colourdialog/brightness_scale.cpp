#include "colourdialog/brightness_scale.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

using namespace tintora;

BrightnessScale::BrightnessScale(QWidget* parent, ColourModel& model, Pointer& pointer)
    : PickingSurface(parent, model, pointer, model.scaleWidth(), model.scaleHeight())
{
    if (parent) {
        m_strip = new MarkerStrip(parent, *this);
        parent->installEventFilter(this);
        placeStrip();
    }
    // The model may outlive the scale (or the other way round, when the
    // dialog's members go before its children): the hooks check.
    m_model.onScaleChanged = [scale = QPointer<BrightnessScale>(this)] {
        if (scale) scale->update();
    };
    m_model.onMarkerChanged = [strip = QPointer<MarkerStrip>(m_strip)] {
        if (strip) strip->update();
    };
}

BrightnessScale::~BrightnessScale()
{
    // The strip refers to this scale; it must not outlive it.
    delete m_strip.data();
}

void BrightnessScale::placeStrip()
{
    if (!m_strip || !parentWidget()) return;
    const QRect g = geometry();
    const int left = g.x() + g.width();
    const int width = std::max(ScaleWidth, parentWidget()->width() - left);
    m_strip->setGeometry(left, g.y() - MarkerStrip::Overhang, width, g.height() + 2 * MarkerStrip::Overhang);
}

void BrightnessScale::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintImage(p, m_model.scaleImage());
}

void BrightnessScale::pressRow(int row)
{
    setFocus(Qt::MouseFocusReason);
    if (m_model.scalePressed(row)) emit colourChanged(m_model.currentColour());
}

void BrightnessScale::dragToRow(int row)
{
    if (m_model.scaleDragged(row)) emit colourChanged(m_model.currentColour());
}

void BrightnessScale::endDrag()
{
    m_pointer.release();
    m_model.scaleReleased();
}

void BrightnessScale::pressAt(QPoint at) { pressRow(at.y()); }

void BrightnessScale::dragTo(QPoint at) { dragToRow(at.y()); }

void BrightnessScale::releaseAt(QPoint) { endDrag(); }

void BrightnessScale::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    placeStrip();
}

void BrightnessScale::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeStrip();
}

bool BrightnessScale::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) placeStrip();
    return QWidget::eventFilter(watched, event);
}
