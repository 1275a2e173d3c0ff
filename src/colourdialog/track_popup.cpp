#include "colourdialog/track_popup.h"

#include <QKeyEvent>
#include <QSlider>
#include <cmath>

#include "colourdialog/track_edit.h"

TrackPopup::TrackPopup(TrackEdit& field) : QFrame(&field, Qt::Popup)
{
    // A press outside closes the slider and nothing else: the dialog's
    // buttons are out of reach while it is open.
    setAttribute(Qt::WA_NoMouseReplay);
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::Box);
    setFixedSize(Width, Height);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setGeometry(4, 3, Width - 8, Height - 6);
    m_slider->setRange(static_cast<int>(std::ceil(field.minValue)), static_cast<int>(std::floor(field.maxValue)));
    m_slider->setValue(field.roundedValue());
    m_slider->installEventFilter(this);
    connect(m_slider, &QSlider::valueChanged, &field, [&field](int v) { field.setValue(v); });
}

bool TrackPopup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_slider && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            close();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
