#include "mainwindow/title_button.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>
#include <cmath>

namespace {

constexpr int Cell = 12;
const QColor OffRed(214, 40, 40);
const QColor OnGrey(150, 150, 150);

QPixmap blankCell(int size = Cell)
{
    QPixmap p(size, size);
    p.fill(Qt::transparent);
    return p;
}

QPixmap letter(QChar ch, const QColor& colour)
{
    QPixmap p = blankCell();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    QFont f("DejaVu Sans");
    f.setPixelSize(12);
    f.setBold(true);
    g.setFont(f);
    g.setPen(colour);
    g.drawText(QRect(0, 0, Cell, Cell), Qt::AlignCenter, QString(ch));
    return p;
}

QPixmap powerSymbol()
{
    QPixmap p = blankCell();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(OffRed, 1.6, Qt::SolidLine, Qt::RoundCap));
    // A ring open at the top, and the bar through the opening.
    g.drawArc(QRectF(1.5, 2.0, 9.0, 9.0), 120 * 16, 300 * 16);
    g.drawLine(QPointF(6.0, 0.8), QPointF(6.0, 6.0));
    return p;
}

QPixmap pushPin(const QColor& head, const QColor& needle)
{
    QPixmap p = blankCell();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    // The needle, slanting to the lower left.
    g.setPen(QPen(needle, 1.3, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(QPointF(5.0, 7.0), QPointF(1.0, 11.0));
    // The head: a short barrel with a collar, slanted the same way.
    g.translate(7.0, 5.0);
    g.rotate(45);
    g.setPen(Qt::NoPen);
    g.setBrush(head);
    g.drawRoundedRect(QRectF(-2.0, -5.0, 4.0, 6.0), 1.0, 1.0);
    g.drawRoundedRect(QRectF(-3.5, 1.0, 7.0, 1.8), 0.8, 0.8);
    return p;
}

QPixmap magnifyingGlass(const QColor& colour)
{
    QPixmap p = blankCell();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(colour, 1.4));
    g.drawEllipse(QRectF(0.8, 0.8, 7.4, 7.4));
    g.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(QPointF(7.8, 7.8), QPointF(10.8, 10.8));
    g.setPen(QPen(colour, 1.2));
    g.drawLine(QPointF(4.5, 2.8), QPointF(4.5, 6.2));
    g.drawLine(QPointF(2.8, 4.5), QPointF(6.2, 4.5));
    return p;
}

QPixmap gear()
{
    // Drawn in a 16 x 16 cell like its stored picture, then fitted to 12 x 12.
    QPixmap big = blankCell(16);
    {
        QPainter g(&big);
        g.setRenderHint(QPainter::Antialiasing);
        g.translate(8, 8);
        QPainterPath teeth;
        for (int i = 0; i < 8; ++i) {
            QTransform t;
            t.rotate(i * 45.0);
            QPainterPath tooth;
            tooth.addRect(QRectF(-1.6, -7.5, 3.2, 3.5));
            teeth.addPath(t.map(tooth));
        }
        QPainterPath body;
        body.addEllipse(QPointF(0, 0), 5.3, 5.3);
        QPainterPath hole;
        hole.addEllipse(QPointF(0, 0), 2.0, 2.0);
        const QPainterPath wheel = teeth.united(body).subtracted(hole);
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(140, 140, 140));
        g.drawPath(wheel);
    }
    return big.scaled(Cell, Cell, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

QPixmap buttonPicture(ButtonImage image)
{
    // In the order of ButtonImage.
    static const std::array<QPixmap, 10> pictures = [] {
        return std::array<QPixmap, 10>{
            powerSymbol(),
            pushPin(OffRed, QColor(150, 200, 240)),
            pushPin(OnGrey, QColor(200, 200, 200)),
            letter('H', OffRed),
            letter('H', OnGrey),
            magnifyingGlass(OffRed),
            magnifyingGlass(OnGrey),
            gear(),
            letter('D', OffRed),
            letter('D', OnGrey),
        };
    }();
    const int index = static_cast<int>(image);
    if (index < 0 || index >= static_cast<int>(pictures.size())) return {};
    return pictures[static_cast<std::size_t>(index)];
}

TitleButton::TitleButton(QWidget* parent, ButtonImage image) : QToolButton(parent)
{
    setAutoRaise(true); // flat: the face shows only under the pointer
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(Width, Height);
    setIconSize(QSize(Cell, Cell));
    setImage(image);
}

void TitleButton::setImage(ButtonImage image)
{
    if (image == m_image && !icon().isNull()) return;
    m_image = image;
    setIcon(image == ButtonImage::None ? QIcon() : QIcon(buttonPicture(image)));
}
