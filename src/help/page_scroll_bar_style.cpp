#include "help/page_scroll_bar_style.h"

#include <QPainter>
#include <QPolygon>
#include <QStyleOptionSlider>

namespace {

// A grey triangle in the middle of a button, pointing along the bar.
void drawArrow(QPainter& p, const QRect& button, Qt::Orientation orientation, bool towardsEnd, bool pressed)
{
    const int half = std::max(2, std::min(button.width(), button.height()) / 4);
    QPoint centre = button.center();
    if (pressed) centre += QPoint(1, 1);
    QPolygon triangle;
    const int d = towardsEnd ? 1 : -1;
    if (orientation == Qt::Vertical)
        triangle << QPoint(centre.x() - half, centre.y() - d * half / 2) << QPoint(centre.x() + half, centre.y() - d * half / 2)
                 << QPoint(centre.x(), centre.y() + d * (half - half / 2));
    else
        triangle << QPoint(centre.x() - d * half / 2, centre.y() - half) << QPoint(centre.x() - d * half / 2, centre.y() + half)
                 << QPoint(centre.x() + d * (half - half / 2), centre.y());
    p.setPen(PageScrollBarStyle::Shade);
    p.setBrush(PageScrollBarStyle::Shade);
    p.drawPolygon(triangle);
}

void drawRaised(QPainter& p, const QRect& r)
{
    p.fillRect(r, PageScrollBarStyle::Face);
    p.setPen(PageScrollBarStyle::Shade);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace

PageScrollBarStyle::PageScrollBarStyle() : QProxyStyle() {}

void PageScrollBarStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                            QPainter* painter, const QWidget* widget) const
{
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || !bar) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(bar->rect, Face);
    const bool sunken = bar->state & State_Sunken;
    for (const SubControl button : {SC_ScrollBarSubLine, SC_ScrollBarAddLine}) {
        const QRect r = subControlRect(CC_ScrollBar, bar, button, widget);
        if (r.isEmpty()) continue;
        drawRaised(*painter, r);
        drawArrow(*painter, r, bar->orientation, button == SC_ScrollBarAddLine,
                  sunken && (bar->activeSubControls & button));
    }
    const QRect slider = subControlRect(CC_ScrollBar, bar, SC_ScrollBarSlider, widget);
    if (!slider.isEmpty() && bar->maximum > bar->minimum) drawRaised(*painter, slider);
    painter->restore();
}
