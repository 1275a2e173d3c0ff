#include "colourdialog/colors_panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

using namespace tintora;

namespace {

QColor qColour(ColourValue c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QRect qRect(const Rect& r) { return QRect(r.x, r.y, r.width, r.height); }

} // namespace

TsColorsPanel::TsColorsPanel(QWidget* parent, PaletteLayout layout) : QWidget(parent), Layout(layout)
{
    setFocusPolicy(Qt::StrongFocus);
    setItems({});
}

void TsColorsPanel::setItems(ColourStrings items)
{
    m_items = std::move(items);
    padToCells(m_items, Layout.cellCount());
    update();
}

void TsColorsPanel::setItemIndex(int index)
{
    if (index < -1 || index >= Layout.cellCount()) index = -1;
    if (index == m_itemIndex) return;
    m_itemIndex = index;
    update();
    emit change();
}

ColourValue TsColorsPanel::colourAt(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_items.size()) return 0xFFFFFF;
    return colourOfString(m_items[static_cast<std::size_t>(index)]);
}

void TsColorsPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor shadow = palette().color(QPalette::Dark);
    for (int i = 0; i < Layout.cellCount(); ++i) {
        const QRect r = qRect(Layout.cellRect(i));
        p.fillRect(r, qColour(colourAt(i)));
        p.setPen(shadow);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    if (m_itemIndex < 0) return;
    const QRect r = qRect(Layout.cellRect(m_itemIndex));
    p.setPen(Qt::white);
    p.drawRect(r.adjusted(-1, -1, 0, 0));
    p.setPen(Qt::black);
    p.drawRect(r.adjusted(-2, -2, 1, 1));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = r.adjusted(-4, -4, 4, 4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

void TsColorsPanel::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    setItemIndex(Layout.cellAt({at.x(), at.y()}).value_or(-1));
    event->accept();
}

void TsColorsPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    emit doubleClicked();
}
