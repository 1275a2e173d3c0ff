#include "lutview/lut_curves.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

using namespace tintora;

namespace {

const QColor Background(24, 25, 28);
const QColor Grid(58, 60, 64);
const QColor Diagonal(110, 112, 118);
const QColor ChannelColours[3] = {QColor(235, 70, 70), QColor(70, 205, 90), QColor(90, 140, 255)};
constexpr int Margin = 6;

} // namespace

LutCurves::LutCurves(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 90);
}

void LutCurves::plot(const Sample* sample)
{
    m_sample = sample;
    update();
}

void LutCurves::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Background);
    const QRectF area = QRectF(rect()).adjusted(Margin, Margin, -Margin, -Margin);
    auto at = [&area](double level, double entry) {
        return QPointF(area.left() + area.width() * level / 255.0, area.bottom() - area.height() * entry / 65535.0);
    };

    // Quarters of both scales, then the identity.
    p.setPen(QPen(Grid, 1));
    for (int i = 0; i <= 4; ++i) {
        const double x = area.left() + area.width() * i / 4.0;
        const double y = area.top() + area.height() * i / 4.0;
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Diagonal, 1, Qt::DashLine));
    p.drawLine(at(0, 0), at(255, 65535));
    if (!m_sample || !m_sample->ramp) return;

    const GammaTable& ramp = m_sample->ramp->ramp;
    QPolygonF curve(256);
    for (int c = 0; c < 3; ++c) {
        const std::uint16_t* table = ramp.data() + c * 256;
        for (int i = 0; i < 256; ++i) curve[i] = at(i, table[i]);
        p.setPen(QPen(ChannelColours[c], 1.5));
        p.drawPolyline(curve);
    }
    // Markers last, so no curve covers one.
    if (!m_sample->bitmap) return;
    const Rgb levels = *m_sample->bitmap;
    const std::uint8_t level[3] = {levels.R, levels.G, levels.B};
    for (int c = 0; c < 3; ++c) {
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(ChannelColours[c]);
        p.drawEllipse(at(level[c], ramp[static_cast<std::size_t>(c * 256 + level[c])]), 3.5, 3.5);
    }
}
