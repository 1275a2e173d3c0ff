#include "magnifier/magnifier_form.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QImage>
#include <QPainter>

#include "magnifier/magnifier_geometry.h"
#include "magnifier/zoom_ladder.h"
#include "shell/program_state.h"
#include "shell/screen_image_paint.h"
#include "shell/tintora_form.h"

using namespace tintora;

void TMagnifierImage::paintEvent(QPaintEvent*)
{
    if (!captured) return;
    QPainter painter(this);
    drawScreenImage(painter, bitmap);
}

void TMagnifierImage::contextMenuEvent(QContextMenuEvent* event)
{
    if (popupMenu) popupMenu->popup(event->globalPos());
}

TDarkStrip::TDarkStrip(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TDarkStrip::paintEvent(QPaintEvent*)
{
    // Black at half opacity blended over the picture.
    QPainter(this).fillRect(rect(), QColor(0, 0, 0, 128));
}

TForm3::TForm3(ProgramState& state, Platform& platform)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_platform(platform)
{
    setWindowTitle(QStringLiteral("Magnifier"));
    setFixedSize(ClientWidth, ClientHeight);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    Image1 = new TMagnifierImage(this);
    Image1->setGeometry(1, 1, 201, 201);
    Image2 = new TDarkStrip(this);
    Image2->setGeometry(0, 0, 203, 17);
    sLabel1 = new QLabel(this);
    QPalette p = sLabel1->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    sLabel1->setPalette(p);
    sLabel1->setAttribute(Qt::WA_TransparentForMouseEvents);
    setCoordinates({0, 0});

    PopupMenu1 = new QMenu(this);
    for (std::size_t i = 0; i < zoomItems.size(); ++i) {
        const ZoomItem& z = ZoomLadder[i];
        QAction* a = PopupMenu1->addAction(QString::fromUtf8(z.caption.data(), static_cast<qsizetype>(z.caption.size())));
        a->setObjectName(QString::fromUtf8(z.name.data(), static_cast<qsizetype>(z.name.size())));
        a->setCheckable(true);
        a->setData(z.tag);
        a->setChecked(z.tag == 2); // as stored; the settings loader sets them from Zoom
        connect(a, &QAction::triggered, this, [this, a] { N21Click(a); });
        zoomItems[i] = a;
    }
    Image1->popupMenu = PopupMenu1;
    move(0, 0);
}

void TForm3::setCoordinates(Point p)
{
    const QString text = QString::fromStdString(coordinateText(p));
    if (sLabel1->text() == text) return;
    sLabel1->setText(text);
    sLabel1->adjustSize();
    sLabel1->move(200 - sLabel1->width(), 2);
}

void TForm3::N21Click(QAction* item)
{
    m_state.Zoom = zoomForTag(item->data().toInt());
    for (QAction* a : zoomItems) a->setChecked(false);
    item->setChecked(true);
    if (m_state.TintoraForm) m_state.TintoraForm->SetMouseSens();
}

void TForm3::paintEvent(QPaintEvent*)
{
    // The frame: a white square with a dotted black outline; the picture
    // covers all of it but the outline.
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

void TForm3::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    putInTopmostBandWhenShown(this, *m_platform.windows);
}

bool TForm3::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(event);
}

void TForm3::FormActivate()
{
    if (TTintoraForm* main = m_state.TintoraForm) {
        main->activateWindow();
        main->setFocus();
    }
}
