#include "widgets/topmost_band.h"

#include <QPointer>
#include <QTimer>

void putInTopmostBandWhenShown(QWidget* window, tintora::Windows& windows)
{
    QPointer<QWidget> w(window);
    QTimer::singleShot(0, window, [w, &windows] {
        if (w && w->isVisible()) windows.setTopmost(static_cast<tintora::NativeWindow>(w->winId()), true);
    });
}

void TopmostBand::set(QWidget* window, tintora::Windows& windows, bool value)
{
    if (value == stayOnTop) return;
    stayOnTop = value;
    if (window->isVisible()) windows.setTopmost(static_cast<tintora::NativeWindow>(window->winId()), value);
}
