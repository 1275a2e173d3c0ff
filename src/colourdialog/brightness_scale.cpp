#include "colourdialog/brightness_scale.h"

#include <QEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "widgets/screen_image_paint.h"
#include <algorithm>
#include <cmath>

using namespace tintora;

namespace {

int rowOf(const QMouseEvent* event) { return static_cast<int>(std::floor(event->position().y())); }

} // namespace

// ---- TMarkerStrip ---------------------------------------------------------

TMarkerStrip::TMarkerStrip(QWidget* parent, TBrightnessScale& scale) : QWidget(parent), m_scale(scale) {}

void TMarkerStrip::paintEvent(QPaintEvent*)
{
    // Whatever was drawn before is gone: the window's background shows
    // through everywhere but the triangle.
    QPainter p(this);
    for (const MarkerSpan& s : markerSpans(m_scale.model().MarkerRow))
        p.fillRect(s.first, s.row + Overhang, s.last - s.first + 1, 1, Qt::black);
}

void TMarkerStrip::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const int row = rowOf(event) - Overhang;
    if (row >= 0 && row < m_scale.height()) m_scale.GradPanelMouseDown(row);
}

void TMarkerStrip::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    const int row = rowOf(event) - Overhang;
    if (row >= 0 && row < m_scale.height()) m_scale.GradPanelMouseMove(row);
}

void TMarkerStrip::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const int row = rowOf(event) - Overhang;
    // A drag begun here ends with its release wherever that is, so no drag
    // is left running without a button.
    if ((row >= 0 && row < m_scale.height()) || m_scale.model().ScaleDrag) m_scale.GradPanelMouseUp();
}

// ---- TBrightnessScale -----------------------------------------------------

TBrightnessScale::TBrightnessScale(QWidget* parent, ColourModel& model, Pointer& pointer)
    : QWidget(parent), m_model(model), m_pointer(pointer)
{
    setFixedSize(model.scaleWidth, model.scaleHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (parent) {
        m_strip = new TMarkerStrip(parent, *this);
        parent->installEventFilter(this);
        placeStrip();
    }
    // The model may outlive the scale (or the other way round, when the
    // dialog's members go before its children): the hooks check.
    m_model.onScaleChanged = [scale = QPointer<TBrightnessScale>(this)] {
        if (scale) scale->update();
    };
    m_model.onMarkerChanged = [strip = QPointer<TMarkerStrip>(m_strip)] {
        if (strip) strip->update();
    };
}

TBrightnessScale::~TBrightnessScale()
{
    // The strip refers to this scale; it must not outlive it.
    delete m_strip.data();
}

void TBrightnessScale::placeStrip()
{
    if (!m_strip || !parentWidget()) return;
    const QRect g = geometry();
    const int left = g.x() + g.width();
    const int width = std::max(ScaleWidth, parentWidget()->width() - left);
    m_strip->setGeometry(left, g.y() - TMarkerStrip::Overhang, width, g.height() + 2 * TMarkerStrip::Overhang);
}

void TBrightnessScale::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!drawScreenImage(p, m_model.GradBmp)) p.fillRect(rect(), palette().window());
}

void TBrightnessScale::GradPanelMouseDown(int y)
{
    setFocus(Qt::MouseFocusReason);
    if (m_model.GradPanelMouseDown(y)) emit colourChanged(m_model.sColor);
}

void TBrightnessScale::GradPanelMouseMove(int y)
{
    if (m_model.GradPanelMouseMove(y)) emit colourChanged(m_model.sColor);
}

void TBrightnessScale::GradPanelMouseUp()
{
    m_pointer.release();
    m_model.GradPanelMouseUp();
}

void TBrightnessScale::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    GradPanelMouseDown(rowOf(event));
}

void TBrightnessScale::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    GradPanelMouseMove(rowOf(event));
}

void TBrightnessScale::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    GradPanelMouseUp();
}

void TBrightnessScale::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    placeStrip();
}

void TBrightnessScale::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeStrip();
}

bool TBrightnessScale::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) placeStrip();
    return QWidget::eventFilter(watched, event);
}
