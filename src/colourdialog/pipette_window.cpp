#include "colourdialog/pipette_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "widgets/qt_colour.h"
#include "widgets/screen_image_paint.h"

using namespace tintora;

namespace pipette {

namespace {

// The picture: X black, . white, blank transparent. The tip is row 21,
// column 9.
constexpr const char* Picture[32] = {
    "                                ",
    "                                ",
    "                       XXX      ",
    "                      X...X     ",
    "                     X.....X    ",
    "                    X.......X   ",
    "                    X.......X   ",
    "                    X.......X   ",
    "                     X.....X    ",
    "                 XX   X...X     ",
    "                XXXXXXXXXX      ",
    "                 XXXX           ",
    "                X.XXXX          ",
    "               X...XXX          ",
    "              X...X             ",
    "             X...X              ",
    "            X...X               ",
    "           X...X                ",
    "          X...X                 ",
    "          X..X                  ",
    "          XXX                   ",
    "         X                      ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};

QImage pictureImage()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const char c = Picture[y][x];
            image.setPixel(x, y, c == 'X' ? 0xFF000000u : c == '.' ? 0xFFFFFFFFu : 0x00000000u);
        }
    return image;
}

} // namespace

QCursor cursor() { return QCursor(QPixmap::fromImage(pictureImage()), HotSpot.x(), HotSpot.y()); }

QPixmap glyph() { return QPixmap::fromImage(pictureImage().copy(9, 2, 20, 20)); }

} // namespace pipette

PipetteWindow::PipetteWindow(ScreenImage image, QRect monitor, QRect swatchOnScreen,
                             ColourValue current)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_image(std::move(image)),
      m_swatchOnScreen(swatchOnScreen)
{
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(pipette::cursor());
    setGeometry(monitor);
    m_imageComplete = m_image.width > 0 && m_image.height > 0 &&
                      m_image.pixels.size() == static_cast<std::size_t>(m_image.width) * m_image.height;
    m_swatch = new QFrame(this);
    m_swatch->setFrameShape(QFrame::Box);
    m_swatch->setAutoFillBackground(true);
    m_swatch->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_swatch->setCursor(pipette::cursor());
    m_swatch->setGeometry(swatchOnScreen.translated(-monitor.topLeft()));
    showColour(current);
}

std::optional<ColourValue> PipetteWindow::pick()
{
    QEventLoop loop;
    connect(this, &PipetteWindow::closed, &loop, &QEventLoop::quit);
    showFullScreen();
    // Where the swatch is seen on the screen, whatever place the window got.
    m_swatch->setGeometry(QRect(mapFromGlobal(m_swatchOnScreen.topLeft()), m_swatchOnScreen.size()));
    raise();
    activateWindow();
    setFocus();
    if (!m_closed) loop.exec();
    return m_picked;
}

std::optional<ColourValue> PipetteWindow::colourUnderTip(QPoint p) const
{
    if (!m_imageComplete) return std::nullopt;
    const QPoint tip = p + (pipette::Tip - pipette::HotSpot);
    const int x = std::clamp(tip.x(), 0, m_image.width - 1);
    const int y = std::clamp(tip.y(), 0, m_image.height - 1);
    return colourValueFromImagePixel(m_image.pixels[static_cast<std::size_t>(y) * m_image.width + x]);
}

void PipetteWindow::showColour(ColourValue colour)
{
    QPalette p = m_swatch->palette();
    p.setColor(QPalette::Window, toQColor(colour));
    m_swatch->setPalette(p);
}

void PipetteWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_imageComplete) drawScreenImage(p, m_image);
}

void PipetteWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (const auto c = colourUnderTip(event->position().toPoint())) showColour(*c);
}

void PipetteWindow::mousePressEvent(QMouseEvent* event)
{
    m_picked = colourUnderTip(event->position().toPoint());
    event->accept();
    close();
}

void PipetteWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        m_picked.reset();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PipetteWindow::closeEvent(QCloseEvent* event)
{
    m_closed = true;
    event->accept();
    emit closed();
}
