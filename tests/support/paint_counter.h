#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace tintora::test {

// Counts the paint events a widget receives, from its creation on.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++m_count;
        return false;
    }

private:
    int m_count = 0;
};

} // namespace tintora::test
