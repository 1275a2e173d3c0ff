#include "widgets/topmost_band.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace {

// A window of the program's own, as opposed to a box, menu or popup that
// belongs to one of them.
bool isProgramWindow(const QWidget& widget)
{
    if (!widget.isWindow() || widget.parentWidget()) return false;
    const Qt::WindowType type = widget.windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool;
}

tintora::NativeWindow nativeWindowOf(QWidget* window) { return static_cast<tintora::NativeWindow>(window->winId()); }

} // namespace

TopmostBand::TopmostBand(tintora::Windows& windows) : m_windows(windows) { qApp->installEventFilter(this); }

TopmostBand::~TopmostBand() { qApp->removeEventFilter(this); }

void TopmostBand::followPin(QWidget* window) { m_pinFollowers.emplace_back(window); }

void TopmostBand::setStayOnTop(bool stayOnTop)
{
    if (stayOnTop == m_stayOnTop) return;
    m_stayOnTop = stayOnTop;
    for (QWidget* window : m_pinFollowers)
        if (window && window->isVisible()) m_windows.setTopmost(nativeWindowOf(window), stayOnTop);
}

bool TopmostBand::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!isProgramWindow(*widget)) return false;
    QPointer<QWidget> window(widget);
    QTimer::singleShot(0, this, [this, window] {
        if (window && window->isVisible()) m_windows.setTopmost(nativeWindowOf(window), true);
    });
    return false;
}
