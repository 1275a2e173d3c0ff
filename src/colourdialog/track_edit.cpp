#include "colourdialog/track_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QWheelEvent>
#include <cmath>

#include "colourdialog/colour_entry.h"

using namespace tintora;

namespace {

// One notch of a common mouse wheel, in eighths of a degree.
constexpr int WheelNotch = 120;

} // namespace

TTrackPopup::TTrackPopup(TsTrackEdit& field)
    : QFrame(&field, Qt::Popup), m_field(field)
{
    // A press outside closes the slider and nothing else: the dialog's
    // buttons are out of reach while it is open.
    setAttribute(Qt::WA_NoMouseReplay);
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::Box);
    setFixedSize(Width, Height);
    slider = new QSlider(Qt::Horizontal, this);
    slider->setGeometry(4, 3, Width - 8, Height - 6);
    slider->setRange(static_cast<int>(std::ceil(field.MinValue)), static_cast<int>(std::floor(field.MaxValue)));
    slider->setValue(field.IntValue());
    slider->installEventFilter(this);
    connect(slider, &QSlider::valueChanged, &field, [&field](int v) { field.setValue(v); });
}

bool TTrackPopup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == slider && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            close();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

TsTrackEdit::TsTrackEdit(QWidget* parent, double minValue, double maxValue, double increment)
    : QLineEdit(parent), MinValue(minValue), MaxValue(maxValue), Increment(increment), m_value(minValue)
{
    connect(this, &QLineEdit::textEdited, this, &TsTrackEdit::typed);
    showValue();
}

TsTrackEdit::~TsTrackEdit() { closeSlider(); }

int TsTrackEdit::IntValue() const { return shownInteger(m_value); }

void TsTrackEdit::setValue(double value)
{
    m_value = clampedValue(value, MinValue, MaxValue);
    showValue();
    if (m_popup) {
        const QSignalBlocker block(m_popup->slider);
        m_popup->slider->setValue(IntValue());
    }
    emit changed();
}

void TsTrackEdit::showValue()
{
    const QString text = QString::number(IntValue());
    if (this->text() != text) setText(text);
}

void TsTrackEdit::typed(const QString& text)
{
    m_value = typedValue(text.toStdString(), MinValue, MaxValue);
    emit changed();
}

void TsTrackEdit::focusOutEvent(QFocusEvent* event)
{
    // The slider takes the focus while it is open; the field's text stays as
    // typed until the focus really goes elsewhere.
    if (!sliderOpen()) showValue();
    QLineEdit::focusOutEvent(event);
}

void TsTrackEdit::keyPressEvent(QKeyEvent* event)
{
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (event->key() == Qt::Key_Down && alt) {
        openSlider();
        return;
    }
    if (event->key() == Qt::Key_Up && !alt) {
        setValue(m_value + Increment);
        return;
    }
    if (event->key() == Qt::Key_Down) {
        setValue(m_value - Increment);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TsTrackEdit::wheelEvent(QWheelEvent* event)
{
    m_wheelRest += event->angleDelta().y();
    const int notches = m_wheelRest / WheelNotch;
    m_wheelRest -= notches * WheelNotch;
    if (notches != 0) setValue(m_value + notches * Increment);
    event->accept();
}

void TsTrackEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    openSlider();
}

void TsTrackEdit::openSlider()
{
    if (sliderOpen()) return;
    m_popup = new TTrackPopup(*this);
    QPoint at = mapToGlobal(QPoint(0, height()));
    // Kept on the field's screen.
    if (const QScreen* s = screen()) {
        const QRect area = s->geometry();
        at.setX(std::min(at.x(), area.right() + 1 - TTrackPopup::Width));
        at.setX(std::max(at.x(), area.left()));
        if (at.y() + TTrackPopup::Height > area.bottom() + 1) at.setY(mapToGlobal(QPoint(0, 0)).y() - TTrackPopup::Height);
    }
    m_popup->move(at);
    m_popup->show();
    m_popup->slider->setFocus();
}

void TsTrackEdit::closeSlider()
{
    if (m_popup) m_popup->close();
    m_popup = nullptr;
}

bool TsTrackEdit::sliderOpen() const { return m_popup && m_popup->isVisible(); }
