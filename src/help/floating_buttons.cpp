#include "help/floating_buttons.h"

#include <QBitmap>
#include <QEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTimer>

namespace {

constexpr int Glyph = 16;

// The closed outline through corners, in glyph coordinates.
QPainterPath outline(std::initializer_list<QPointF> corners)
{
    QPainterPath p;
    p.addPolygon(QPolygonF(corners));
    p.closeSubpath();
    return p;
}

QPainterPath leftArrow()
{
    return outline({{1.5, 8}, {8, 1.5}, {8, 5}, {14.5, 5}, {14.5, 11}, {8, 11}, {8, 14.5}});
}

// Roof with a chimney on its right slope, then the walls.
QPainterPath house()
{
    return outline({{8, 1.5}, {11, 4.5}, {11, 2.5}, {13, 2.5}, {13, 6.5}, {15, 8.5}, {13, 8.5}, {13, 14.5}, {3, 14.5},
                    {3, 8.5}, {1, 8.5}});
}

QPixmap drawGlyph(const QPainterPath& shape, bool door)
{
    QPixmap pm(Glyph, Glyph);
    pm.fill(Qt::transparent);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 1, 0, 15);
    fill.setColorAt(0, QColor(190, 230, 60));
    fill.setColorAt(1, QColor(40, 150, 40));
    g.setBrush(fill);
    g.setPen(QPen(QColor(20, 90, 20), 1.0));
    g.drawPath(shape);
    if (door) {
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(235, 245, 205));
        g.drawRect(QRectF(6.5, 9.5, 3, 5));
    }
    return pm;
}

} // namespace

QPixmap webGlyph(int index)
{
    switch (index) {
    case 0: return drawGlyph(leftArrow(), false);
    case 1: return drawGlyph(QTransform(-1, 0, 0, 1, Glyph, 0).map(leftArrow()), false);
    case 2: return drawGlyph(house(), true);
    default: return {};
    }
}

FloatingButton::FloatingButton(int glyph, std::function<void()> onClick)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint),
      m_glyph(webGlyph(glyph)), m_onClick(std::move(onClick))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    // No background: what lies beneath shows through the glyph's
    // half-transparent pixels, and through the whole glyph while held.
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(Size, Size);
    setCursor(Qt::PointingHandCursor);
    // Only the glyph is drawn: its fully transparent pixels let the mouse
    // through to the title bar beneath.
    QBitmap shape(Size, Size);
    shape.fill(Qt::color0);
    {
        QPainter p(&shape);
        QImage alpha = m_glyph.toImage();
        for (int y = 0; y < Glyph; ++y)
            for (int x = 0; x < Glyph; ++x)
                if (qAlpha(alpha.pixel(x, y)) > 0) p.fillRect(5 + x, 5 + y, 1, 1, Qt::color1);
    }
    setMask(shape);
}

void FloatingButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The glyph alone, at half opacity while held down: the only fade.
    p.setOpacity(m_pressed ? 127.0 / 255.0 : 1.0);
    p.drawPixmap(5, 5, m_glyph);
}

void FloatingButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    m_pressed = true;
    update();
}

void FloatingButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) return;
    m_pressed = false;
    update();
    if (rect().contains(event->position().toPoint()) && m_onClick) m_onClick();
}

FloatingButtons::FloatingButtons(QWidget* window, std::function<void()> home, std::function<void()> back,
                             std::function<void()> forward)
    : QObject(window), m_window(window)
{
    m_items = {new FloatingButton(2, std::move(home)), new FloatingButton(0, std::move(back)),
               new FloatingButton(1, std::move(forward))};
    window->installEventFilter(this);
}

FloatingButtons::~FloatingButtons()
{
    for (FloatingButton* b : m_items) delete b;
}

void FloatingButtons::follow()
{
    const bool shown = m_window && m_window->isVisible() && !m_window->isMinimized();
    if (!shown) {
        for (FloatingButton* b : m_items) b->hide();
        return;
    }
    const QRect outer = m_window->frameGeometry();
    const QRect client = m_window->geometry();
    // Centred on the title bar the window manager draws; without one, on
    // the window's top edge.
    const int titleHeight = client.top() - outer.top();
    const int centreY = titleHeight > 0 ? outer.top() + titleHeight / 2 : outer.top();
    const int left = outer.left() + (outer.width() - FloatingButton::Size) / 2;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        m_items[i]->move(left + Offsets[i], centreY - FloatingButton::Size / 2);
        m_items[i]->show();
        m_items[i]->raise();
    }
}

bool FloatingButtons::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
            QTimer::singleShot(0, this, &FloatingButtons::follow);
            [[fallthrough]];
        case QEvent::Hide:
        case QEvent::WindowStateChange: follow(); break;
        case QEvent::WindowActivate:
            // The window manager's frame may arrive after the window is shown.
            follow();
            break;
        default: break;
        }
    }
    return false;
}
