#include "magnifier/magnifier_window.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QImage>
#include <QMoveEvent>
#include <QPainter>
#include <utility>

#include "magnifier/magnifier_geometry.h"
#include "magnifier/zoom_ladder.h"
#include "core/program_state.h"
#include "widgets/program_font.h"
#include "widgets/screen_image_paint.h"

using namespace tintora;

void MagnifierPicture::showBitmap(const ScreenImage& bitmap)
{
    m_bitmap = &bitmap;
    update();
}

void MagnifierPicture::paintEvent(QPaintEvent*)
{
    if (!m_bitmap) return;
    QPainter painter(this);
    drawScreenImage(painter, *m_bitmap);
}

void MagnifierPicture::contextMenuEvent(QContextMenuEvent* event) { emit menuRequested(event->globalPos()); }

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
      m_mainWindow(mainWindow), m_placement(platform)
{
    setWindowTitle(QStringLiteral("Magnifier"));
    setFixedSize(ClientWidth, ClientHeight);
    setFont(programFont());

    m_ui.picture = new MagnifierPicture(this);
    m_ui.picture->setGeometry(1, 1, 201, 201);
    m_ui.darkStrip = new DarkStrip(this);
    m_ui.darkStrip->setGeometry(0, 0, 203, 17);
    m_ui.coordinatesLabel = new QLabel(this);
    QPalette p = m_ui.coordinatesLabel->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    m_ui.coordinatesLabel->setPalette(p);
    m_ui.coordinatesLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    setCoordinates({0, 0});

    m_ui.zoomMenu = new QMenu(this);
    for (std::size_t i = 0; i < m_ui.zoomItems.size(); ++i) {
        const ZoomItem& z = ZoomLadder[i];
        QAction* a =
            m_ui.zoomMenu->addAction(QString::fromUtf8(z.caption.data(), static_cast<qsizetype>(z.caption.size())));
        a->setCheckable(true);
        a->setData(z.tag);
        a->setChecked(z.tag == 2); // the default zoom, until the settings are read
        connect(a, &QAction::triggered, this, [this, a] { chooseZoom(a); });
        m_ui.zoomItems[i] = a;
    }
    connect(m_ui.picture, &MagnifierPicture::menuRequested, m_ui.zoomMenu,
            [menu = m_ui.zoomMenu](QPoint at) { menu->popup(at); });
    move(0, 0);
}

void MagnifierWindow::setCoordinates(Point p)
{
    // A resting pointer: the label already says it.
    if (m_shownCoordinates == p) return;
    m_shownCoordinates = p;
    QLabel* label = m_ui.coordinatesLabel;
    const QString text = QString::fromStdString(coordinateText(p));
    if (label->text() == text) return;
    label->setText(text);
    label->adjustSize();
    label->move(200 - label->width(), 2);
}

void MagnifierWindow::dockOn(const QRect& mainWindowFrame)
{
    // Known before the move: its move event compares with it.
    m_dockedAt = m_placement.dockingPlace(this, mainWindowFrame);
    m_dockAskedAgain = false;
    if (m_dockedAt) move(*m_dockedAt);
}

void MagnifierWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // While the main window is dragged, the window manager's report of an
    // earlier place can come after the request for the latest one has gone
    // out; Qt then takes the window to stand where the report says, and a
    // docking at the place it believes the window already stands would ask
    // for nothing. Asked once more, the window ends where it is docked. Only
    // once: a manager that keeps the window elsewhere (out of a panel) has
    // the last word.
    if (!m_dockedAt || pos() == *m_dockedAt || m_dockAskedAgain || !isVisible()) return;
    m_dockAskedAgain = true;
    move(*m_dockedAt);
}

void MagnifierWindow::showZoom(double zoom)
{
    const auto checked = checkedZoomItem(zoom);
    for (std::size_t i = 0; i < m_ui.zoomItems.size(); ++i) m_ui.zoomItems[i]->setChecked(checked && *checked == i);
}

void MagnifierWindow::chooseZoom(QAction* item)
{
    m_state.options.zoom = zoomForTag(item->data().toInt());
    for (QAction* a : m_ui.zoomItems) a->setChecked(false);
    item->setChecked(true);
    m_mainWindow.applySlowPointer();
}

void MagnifierWindow::capture(Point p)
{
    const int w = m_ui.picture->width();
    const int h = m_ui.picture->height();
    // The block is not clamped to the screen: what no monitor shows is black.
    // The last block is kept: most ticks, under a resting pointer, bring the
    // same pixels, and then the picture is already right and is neither
    // redrawn nor repainted. Only for blocks no larger than the picture: a
    // larger one (zoom 0.5) costs more to compare than to draw.
    const Rect block = sourceBlock(p, w, h, m_state.options.zoom);
    std::swap(m_grab, m_previousGrab);
    m_platform.screen.pixels->grab(block, m_grab);
    if (m_ui.picture->captured() && m_bitmap.width == w && m_bitmap.height == h && block.width <= w &&
        block.height <= h && m_grab.width == m_previousGrab.width && m_grab.height == m_previousGrab.height &&
        m_grab.pixels == m_previousGrab.pixels)
        return;
    if (m_bitmap.width != w || m_bitmap.height != h) {
        // Created at the first capture, reused afterwards.
        m_bitmap.width = w;
        m_bitmap.height = h;
        m_bitmap.pixels.assign(static_cast<std::size_t>(w) * h, 0u);
    }
    stretchInto(m_grab, m_bitmap);
    drawCrosshair(m_bitmap);
    m_ui.picture->showBitmap(m_bitmap);
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
    // Before the window is mapped: a part of the main window's look, it has
    // no entry of its own in task bars.
    m_platform.windows->leaveOutOfTaskBar(static_cast<NativeWindow>(winId()));
    QWidget::showEvent(event);
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
