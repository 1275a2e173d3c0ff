#include "magnifier/magnifier_window.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QImage>
#include <QPainter>

#include "magnifier/magnifier_geometry.h"
#include "magnifier/zoom_ladder.h"
#include "core/program_state.h"
#include "widgets/program_font.h"
#include "widgets/screen_image_paint.h"

using namespace tintora;

void MagnifierPicture::paintEvent(QPaintEvent*)
{
    if (!captured) return;
    QPainter painter(this);
    drawScreenImage(painter, bitmap);
}

void MagnifierPicture::contextMenuEvent(QContextMenuEvent* event)
{
    if (popupMenu) popupMenu->popup(event->globalPos());
}

DarkStrip::DarkStrip(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void DarkStrip::paintEvent(QPaintEvent*)
{
    // Black at half opacity blended over the picture.
    QPainter(this).fillRect(rect(), QColor(0, 0, 0, 128));
}

MagnifierWindow::MagnifierWindow(ProgramState& state, Platform& platform, MainWindowLink& mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_platform(platform),
      m_mainWindow(mainWindow)
{
    setWindowTitle(QStringLiteral("Magnifier"));
    setFixedSize(ClientWidth, ClientHeight);
    setFont(programFont());

    picture = new MagnifierPicture(this);
    picture->setGeometry(1, 1, 201, 201);
    darkStrip = new DarkStrip(this);
    darkStrip->setGeometry(0, 0, 203, 17);
    coordinatesLabel = new QLabel(this);
    QPalette p = coordinatesLabel->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    coordinatesLabel->setPalette(p);
    coordinatesLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    setCoordinates({0, 0});

    zoomMenu = new QMenu(this);
    for (std::size_t i = 0; i < zoomItems.size(); ++i) {
        const ZoomItem& z = ZoomLadder[i];
        QAction* a = zoomMenu->addAction(QString::fromUtf8(z.caption.data(), static_cast<qsizetype>(z.caption.size())));
        a->setCheckable(true);
        a->setData(z.tag);
        a->setChecked(z.tag == 2); // the default zoom, until the settings are read
        connect(a, &QAction::triggered, this, [this, a] { chooseZoom(a); });
        zoomItems[i] = a;
    }
    picture->popupMenu = zoomMenu;
    move(0, 0);
}

void MagnifierWindow::setCoordinates(Point p)
{
    const QString text = QString::fromStdString(coordinateText(p));
    if (coordinatesLabel->text() == text) return;
    coordinatesLabel->setText(text);
    coordinatesLabel->adjustSize();
    coordinatesLabel->move(200 - coordinatesLabel->width(), 2);
}

void MagnifierWindow::dockOn(const QRect& mainWindowFrame)
{
    move(mainWindowFrame.x(), mainWindowFrame.y() - ClientHeight);
}

void MagnifierWindow::showZoom(double zoom)
{
    const auto checked = checkedZoomItem(zoom);
    for (std::size_t i = 0; i < zoomItems.size(); ++i) zoomItems[i]->setChecked(checked && *checked == i);
}

void MagnifierWindow::chooseZoom(QAction* item)
{
    m_state.options.zoom = zoomForTag(item->data().toInt());
    for (QAction* a : zoomItems) a->setChecked(false);
    item->setChecked(true);
    m_mainWindow.applySlowPointer();
}

void MagnifierWindow::paintEvent(QPaintEvent*)
{
    // The frame: a white square with a dotted black outline; the picture
    // covers all of it but the outline.
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

void MagnifierWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    putInTopmostBandWhenShown(this, *m_platform.windows);
    // A restore from the task bar is no new showing.
    if (event->spontaneous()) return;
    m_state.options.magnifierShown = true;
    emit shownChanged();
}

void MagnifierWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Minimised is still shown.
    if (event->spontaneous()) return;
    m_state.options.magnifierShown = false;
    emit shownChanged();
}

bool MagnifierWindow::event(QEvent* event)
{
    // The magnifier never keeps the focus.
    if (event->type() == QEvent::WindowActivate) m_mainWindow.focusMainWindow();
    return QWidget::event(event);
}
