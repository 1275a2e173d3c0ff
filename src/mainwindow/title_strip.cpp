#include "mainwindow/title_strip.h"

#include "mainwindow/main_window.h"

using namespace tintora;

namespace {

// The "F1" caption while the program is active, and while it is not.
const QColor HelpActive(255, 255, 0);
const QColor HelpInactive(128, 128, 128);

} // namespace

TitleStrip::TitleStrip(MainWindow& window, MainWindowUi& ui, ProgramState& state, Platform& platform)
    : m_window(window), m_ui(ui), m_state(state), m_platform(platform)
{
    m_ui.titleStrip = new QFrame(&m_window);
    m_ui.titleStrip->setFrameShape(QFrame::Panel);
    m_ui.titleStrip->setFrameShadow(QFrame::Raised);
    m_ui.titleStrip->setGeometry(0, 0, MainWindow::ClientWidth, 23);
    m_ui.titleStrip->setAutoFillBackground(true);

    // Left to right: gear, F1, a gap, D, H, magnifier, pin, exit.
    auto button = [this](int left, ButtonImage image, void (MainWindow::*onClick)()) {
        auto* b = new TitleButton(m_ui.titleStrip, image);
        b->move(left, 1);
        QObject::connect(b, &QToolButton::clicked, &m_window, onClick);
        return b;
    };
    m_ui.settingsButton = button(1, ButtonImage::Gear, &MainWindow::showSettings);
    m_ui.helpButton = button(24, ButtonImage::None, &MainWindow::showHelpFromButton);
    m_ui.helpButton->setText(QStringLiteral("F1"));
    m_ui.helpButton->setFont(m_window.font());
    m_ui.fractionButton = button(87, ButtonImage::FractionOff, &MainWindow::toggleFractions);
    m_ui.hexButton = button(110, ButtonImage::HexOff, &MainWindow::toggleHexadecimal);
    m_ui.magnifierButton = button(133, ButtonImage::MagnifierHidden, &MainWindow::toggleMagnifier);
    m_ui.pinButton = button(156, ButtonImage::PinOff, &MainWindow::toggleAlwaysOnTop);
    m_ui.exitButton = button(179, ButtonImage::Exit, &MainWindow::closeProgram);
    setHelpButtonColour(HelpActive);

    m_ui.colourSelect = new ColourSelectButton(m_platform, &m_window);
    m_ui.colourSelect->hide();
}

void TitleStrip::showActive(bool active) { setHelpButtonColour(active ? HelpActive : HelpInactive); }

void TitleStrip::setHelpButtonColour(const QColor& colour)
{
    QPalette p = m_ui.helpButton->palette();
    p.setColor(QPalette::ButtonText, colour);
    p.setColor(QPalette::WindowText, colour);
    m_ui.helpButton->setPalette(p);
}

void TitleStrip::showOptionButtons()
{
    // Where the compositor alone stacks windows the pin can do nothing: it is
    // off, disabled and says why. The option itself stays as stored, for
    // sessions that allow it.
    const bool canKeepOnTop = m_platform.windows->canKeepOnTop();
    m_ui.pinButton->setImage(m_state.options.alwaysOnTop && canKeepOnTop ? ButtonImage::PinOn : ButtonImage::PinOff);
    m_ui.pinButton->setEnabled(canKeepOnTop);
    m_ui.pinButton->setToolTip(canKeepOnTop ? QString() : QString::fromUtf8(MainWindow::KeepOnTopUnavailableText));
    m_ui.hexButton->setImage(m_state.options.hexadecimal ? ButtonImage::HexOn : ButtonImage::HexOff);
    m_ui.fractionButton->setImage(m_state.options.fractions ? ButtonImage::FractionOn : ButtonImage::FractionOff);
    m_ui.magnifierButton->setImage(m_state.options.magnifierShown ? ButtonImage::MagnifierShown : ButtonImage::MagnifierHidden);
}
