#include "colourdialog/palette_grid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "widgets/qt_colour.h"

using namespace tintora;

namespace {

QRect qRect(const Rect& r) { return QRect(r.x, r.y, r.width, r.height); }

} // namespace

PaletteGrid::PaletteGrid(QWidget* parent, PaletteLayout layout) : QWidget(parent), cellLayout(layout)
{
    setFocusPolicy(Qt::StrongFocus);
    setColours({});
}

void PaletteGrid::setColours(ColourStrings colours)
{
    m_colours = std::move(colours);
    padToCells(m_colours, cellLayout.cellCount());
    update();
}

void PaletteGrid::setSelectedIndex(int index)
{
    if (index < -1 || index >= cellLayout.cellCount()) index = -1;
    if (index == m_selectedIndex) return;
    m_selectedIndex = index;
    update();
    emit selectionChanged();
}

ColourValue PaletteGrid::colourAt(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_colours.size()) return colourOfString(EmptyCell);
    return colourOfString(m_colours[static_cast<std::size_t>(index)]);
}

void PaletteGrid::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor shadow = palette().color(QPalette::Dark);
    for (int i = 0; i < cellLayout.cellCount(); ++i) {
        const QRect r = qRect(cellLayout.cellRect(i));
        p.fillRect(r, toQColor(colourAt(i)));
        p.setPen(shadow);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    if (m_selectedIndex < 0) return;
    const QRect r = qRect(cellLayout.cellRect(m_selectedIndex));
    p.setPen(Qt::white);
    p.drawRect(r.adjusted(-1, -1, 0, 0));
    p.setPen(Qt::black);
    p.drawRect(r.adjusted(-2, -2, 1, 1));
    // Whenever the palette has the focus, however it came (a click as well
    // as the keyboard): styles draw theirs only after keyboard focus moves.
    if (hasFocus()) drawFocusRect(p, r.adjusted(-4, -4, 4, 4));
}

void PaletteGrid::drawFocusRect(QPainter& p, const QRect& outline) const
{
    // Dotted: the outline's pixels in a chequer from its top-left corner.
    p.setPen(palette().color(QPalette::WindowText));
    const int left = outline.left(), top = outline.top(), right = outline.right(), bottom = outline.bottom();
    auto dot = [&](int x, int y) {
        if ((x - left + y - top) % 2 == 0) p.drawPoint(x, y);
    };
    for (int x = left; x <= right; ++x) {
        dot(x, top);
        dot(x, bottom);
    }
    for (int y = top + 1; y < bottom; ++y) {
        dot(left, y);
        dot(right, y);
    }
}

void PaletteGrid::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    setSelectedIndex(cellLayout.cellAt({at.x(), at.y()}).value_or(-1));
    event->accept();
}

void PaletteGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    emit doubleClicked();
}
