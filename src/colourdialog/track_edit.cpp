#include "colourdialog/track_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QWheelEvent>
#include <cmath>

#include "colourdialog/colour_entry.h"
#include "colourdialog/track_popup.h"

using namespace tintora;

namespace {

// One notch of a common mouse wheel, in eighths of a degree.
constexpr int WheelNotch = 120;

} // namespace

TrackEdit::TrackEdit(QWidget* parent, double minimum, double maximum, double stepSize)
    : QLineEdit(parent), minValue(minimum), maxValue(maximum), step(stepSize), m_value(minimum)
{
    connect(this, &QLineEdit::textEdited, this, &TrackEdit::applyTypedText);
    showValue();
}

TrackEdit::~TrackEdit() { closeSlider(); }

int TrackEdit::roundedValue() const { return shownInteger(m_value); }

void TrackEdit::setValue(double value)
{
    m_value = clampedValue(value, minValue, maxValue);
    showValue();
    if (m_popup) {
        const QSignalBlocker block(m_popup->slider());
        m_popup->slider()->setValue(roundedValue());
    }
    emit changed();
}

void TrackEdit::showValue()
{
    const QString text = QString::number(roundedValue());
    if (this->text() != text) setText(text);
}

void TrackEdit::applyTypedText(const QString& text)
{
    m_value = typedValue(text.toStdString(), minValue, maxValue);
    emit changed();
}

void TrackEdit::focusOutEvent(QFocusEvent* event)
{
    // The slider takes the focus while it is open; the field's text stays as
    // typed until the focus really goes elsewhere.
    if (!sliderOpen()) showValue();
    QLineEdit::focusOutEvent(event);
}

void TrackEdit::keyPressEvent(QKeyEvent* event)
{
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (event->key() == Qt::Key_Down && alt) {
        openSlider();
        return;
    }
    if (event->key() == Qt::Key_Up && !alt) {
        setValue(m_value + step);
        return;
    }
    if (event->key() == Qt::Key_Down) {
        setValue(m_value - step);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TrackEdit::wheelEvent(QWheelEvent* event)
{
    m_wheelRest += event->angleDelta().y();
    const int notches = m_wheelRest / WheelNotch;
    m_wheelRest -= notches * WheelNotch;
    if (notches != 0) setValue(m_value + notches * step);
    event->accept();
}

void TrackEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    openSlider();
}

void TrackEdit::openSlider()
{
    if (sliderOpen()) return;
    m_popup = new TrackPopup(*this);
    QPoint at = mapToGlobal(QPoint(0, height()));
    // Kept on the field's screen.
    if (const QScreen* s = screen()) {
        const QRect area = s->geometry();
        at.setX(std::min(at.x(), area.right() + 1 - TrackPopup::Width));
        at.setX(std::max(at.x(), area.left()));
        if (at.y() + TrackPopup::Height > area.bottom() + 1) at.setY(mapToGlobal(QPoint(0, 0)).y() - TrackPopup::Height);
    }
    m_popup->move(at);
    m_popup->show();
    m_popup->slider()->setFocus();
}

void TrackEdit::closeSlider()
{
    if (m_popup) m_popup->close();
    m_popup = nullptr;
}

bool TrackEdit::sliderOpen() const { return m_popup && m_popup->isVisible(); }
