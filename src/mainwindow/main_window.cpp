#include "mainwindow/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <iostream>

#include "core/screen_snapping.h"
#include "help/help_window.h"
#include "lutview/lut_window.h"
#include "magnifier/magnifier_window.h"
#include "magnifier/magnifier_geometry.h"
#include "magnifier/zoom_ladder.h"
#include "pointer/pointer_aids.h"
#include "pointer/settings_dialog.h"
#include "probe/lut.h"
#include "probe/probe_tick.h"
#include "probe/readout_text.h"
#include "settings/ini_file.h"
#include "settings/settings_file.h"
#include "settings/settings_location.h"
#include "settings/settings_values.h"
#include "widgets/error_box.h"
#include "widgets/program_font.h"
#include "widgets/qt_colour.h"

using namespace tintora;

namespace {

// The "F1" caption while the program is active, and while it is not.
const QColor HelpActive(255, 255, 0);
const QColor HelpInactive(128, 128, 128);

} // namespace

void ColumnSeparator::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(1, 0, 1, height() - 1);
}

void ColumnSeparator::mousePressEvent(QMouseEvent* event) { event->accept(); }

void Swatch::mousePressEvent(QMouseEvent* event)
{
    if (mouseDownMovesWindow)
        event->ignore(); // on to the window, which drags itself
    else
        event->accept();
}

void Swatch::mouseReleaseEvent(QMouseEvent* event)
{
    if (mouseDownMovesWindow) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

MainWindow::MainWindow(ProgramState& state, Platform& platform, MainWindowSetup setup)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_platform(platform),
      m_setup(std::move(setup))
{
    setWindowTitle(QStringLiteral("Tintora"));
    setFixedSize(ClientWidth, ClientHeight);
    setFocusPolicy(Qt::StrongFocus);
    setFont(programFont());

    probeTimer = new QTimer(this);
    probeTimer->setTimerType(Qt::PreciseTimer);
    probeTimer->setInterval(ProbeIntervalMs);
    connect(probeTimer, &QTimer::timeout, this, &MainWindow::probeTick);
    createReadouts();
    createTitleStrip();

    move(0, 0);
    probeTimer->start();
    applyCommandLine();
}

void MainWindow::createReadouts()
{
    bitmapRedLabel = makeLabel("?", 32, 47);
    bitmapGreenLabel = makeLabel("?", 32, 66);
    bitmapBlueLabel = makeLabel("?", 32, 85);
    redCaption = makeLabel("R:", 10, 48);
    greenCaption = makeLabel("G:", 10, 66);
    blueCaption = makeLabel("B:", 10, 85);
    lutRedLabel = makeLabel("?", 70, 48);
    lutGreenLabel = makeLabel("?", 70, 66);
    lutBlueLabel = makeLabel("?", 70, 85);
    bitmapCaption = makeLabel("Bitmap:", 10, 29);
    lutCaption = makeLabel("LUT:", 70, 28);

    swatch = new Swatch(this);
    swatch->setFrameShape(QFrame::NoFrame);
    swatch->setAutoFillBackground(true);
    swatch->setGeometry(142, 47, 51, 51);
    connect(swatch, &Swatch::clicked, this, &MainWindow::inspectFrozenColour);

    hexColourLabel = makeLabel("#", 142, 28);

    columnSeparator = new ColumnSeparator(this);
    columnSeparator->setGeometry(63, 28, 3, 74);
}

void MainWindow::createTitleStrip()
{
    titleStrip = new QFrame(this);
    titleStrip->setFrameShape(QFrame::Panel);
    titleStrip->setFrameShadow(QFrame::Raised);
    titleStrip->setGeometry(0, 0, ClientWidth, 23);
    titleStrip->setAutoFillBackground(true);

    // Left to right: gear, F1, a gap, D, H, magnifier, pin, exit.
    auto button = [this](int left, ButtonImage image, void (MainWindow::*onClick)()) {
        auto* b = new TitleButton(titleStrip, image);
        b->move(left, 1);
        connect(b, &QToolButton::clicked, this, onClick);
        return b;
    };
    settingsButton = button(1, ButtonImage::Gear, &MainWindow::showSettings);
    helpButton = button(24, ButtonImage::None, &MainWindow::showHelpFromButton);
    helpButton->setText(QStringLiteral("F1"));
    helpButton->setFont(font());
    fractionButton = button(87, ButtonImage::FractionOff, &MainWindow::toggleFractions);
    hexButton = button(110, ButtonImage::HexOff, &MainWindow::toggleHexadecimal);
    magnifierButton = button(133, ButtonImage::MagnifierHidden, &MainWindow::toggleMagnifier);
    pinButton = button(156, ButtonImage::PinOff, &MainWindow::toggleAlwaysOnTop);
    exitButton = button(179, ButtonImage::Exit, &MainWindow::closeProgram);
    setHelpButtonColour(HelpActive);

    colourSelect = new ColourSelectButton(m_platform, this);
    colourSelect->hide();
}

void MainWindow::attach(SecondaryWindows windows) { m_windows = windows; }

QLabel* MainWindow::makeLabel(const char* text, int left, int top)
{
    auto* label = new QLabel(QString::fromUtf8(text), this);
    label->move(left, top);
    label->adjustSize();
    // Presses fall through to the window, which drags itself.
    label->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    return label;
}

void MainWindow::setLabelText(QLabel* label, const std::string& text)
{
    // Compared in place: most ticks change no text, and then nothing is
    // converted or allocated.
    if (QAnyStringView::equal(label->text(), QUtf8StringView(text.data(), static_cast<qsizetype>(text.size())))) return;
    label->setText(QString::fromStdString(text));
    label->adjustSize();
}

void MainWindow::setHelpButtonColour(const QColor& colour)
{
    QPalette p = helpButton->palette();
    p.setColor(QPalette::ButtonText, colour);
    p.setColor(QPalette::WindowText, colour);
    helpButton->setPalette(p);
}

void MainWindow::runCommand(Command command)
{
    switch (command) {
    case Command::ToggleHelp: return toggleHelp();
    case Command::CloseWindow: return closeOrHideMagnifier();
    case Command::ToggleMagnifier: return toggleMagnifier();
    case Command::ToggleHexadecimal: return toggleHexadecimal();
    case Command::CopyBitmapColour: return copyBitmapColour();
    case Command::CopyLutColour: return copyLutColour();
    case Command::ToggleFreeze: return toggleFreeze();
    case Command::ToggleAlwaysOnTop: return toggleAlwaysOnTop();
    case Command::ToggleFractions: return toggleFractions();
    case Command::CloseProgram: return closeProgram();
    case Command::ShowSettings: return showSettings();
    case Command::ToggleLutCurves: return toggleLutCurves();
    }
}

void MainWindow::applyCommandLine()
{
    m_state.programDir = m_setup.programDir;
    m_state.userPointerSpeed = m_platform.pointer->speed();
    m_startPosition = parseStartPosition(m_setup.args);
    if (m_startPosition) {
        // Top first, then left, each move snapped on its own.
        moveWindow({x(), m_startPosition->top});
        moveWindow({m_startPosition->left, y()});
    }
}

void MainWindow::showMainWindow()
{
    loadSettings(settingsFilePathFor(m_state.programDir));
    if (!m_startPosition) moveWindow(centreInWorkArea(ClientWidth, ClientHeight, m_platform.screen->primaryWorkArea()));
    show();
    // Keys go to this window from the start, with or without a window
    // manager to give it the focus.
    activateWindow();
    // Into the topmost band whatever the settings say.
    putInTopmostBandWhenShown(this, *m_platform.windows);
    // Placed beside the main window where it now stands.
    if (m_state.lutCurvesShown) showLutCurves(true);
}

void MainWindow::loadSettings(const std::string& path)
{
    std::string error;
    // An unreadable file reads like a missing one, every key its default;
    // the close will not write over it.
    const std::optional<SettingsDocument> file = readSettingsFile(path, error);
    if (!file)
        std::cerr << "tintora: the settings file cannot be used (" << error
                  << "); the program starts with the defaults and will not write the file.\n";
    const IniDocument ini = file ? file->ini : IniDocument();
    auto flag = [&](const char* section, const char* key) {
        return readBool(ini.value(section, key)).value_or(false);
    };
    setAlwaysOnTop(flag("GENERAL", "onTop"));
    m_state.hexadecimal = flag("GENERAL", "HexMode");
    m_state.fractions = flag("GENERAL", "DecMode");
    if (flag("MAGNIFIER", "ShowMag")) showMagnifier(true);
    m_state.zoom = zoomFromFile(readZoom(ini.value("MAGNIFIER", "Zoom"), m_setup.decimalSeparator));
    m_state.slowPointer = flag("MAGNIFIER", "SlowMouse");
    m_state.lutCurvesShown = flag("LUT", "ShowCurves");
    if (isVisible()) showLutCurves(m_state.lutCurvesShown);
    showOptions();
    zoomChanged();
}

void MainWindow::saveSettings(const std::string& path)
{
    std::string error;
    if (saveSettingsFile(path, m_state, m_setup.decimalSeparator, error) != SaveOutcome::Failed) return;
    std::cerr << "tintora: the settings were not saved: " << error << '\n';
    showError("Unable to write to " + path);
}

void MainWindow::showError(const std::string& message)
{
    if (m_quiet) {
        std::cerr << "tintora: " << errorBoxText(message) << '\n';
        return;
    }
    // The box takes the keys, and with them the releases that would end a
    // line lock or the Ctrl speed.
    liftPointerAids();
    showErrorBox(this, message);
}

void MainWindow::closeQuietly()
{
    m_quiet = true;
    if (m_closed) {
        // The close sequence already runs and waits on the user (a box about
        // a failed save): the pointer is the user's again, so the program
        // ends here, the file staying as it is.
        QApplication::exit(0);
        return;
    }
    close();
}

void MainWindow::saveAfterDisplayLoss()
{
    if (m_closed) return;
    m_closed = true;
    m_quiet = true;
    saveSettings(settingsFilePathFor(m_state.programDir));
}

void MainWindow::finishRun()
{
    if (m_closed) return;
    m_closed = true;
    probeTimer->stop();
    // The pointer is given back before anything that can wait on the user.
    m_platform.pointer->setSpeed(m_state.userPointerSpeed);
    // The axis locks end with the program, whatever keys are still down.
    m_platform.pointer->release();
    rowLocked = columnLocked = false;
    // A colour copied last stays pasteable after the program has gone.
    m_platform.clipboard->keepAfterExit();
    // Last: a failure is reported in a box that waits for an answer.
    saveSettings(settingsFilePathFor(m_state.programDir));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    finishRun();
    event->accept();
    QApplication::quit();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    dockMagnifier();
}

QRect MainWindow::mainWindowFrame() const { return geometry(); }

void MainWindow::focusMainWindow()
{
    activateWindow();
    setFocus();
}

void MainWindow::dockMagnifier()
{
    // The magnifier stands on this window, left edges aligned.
    if (m_windows.magnifier && m_windows.magnifier->isVisible()) m_windows.magnifier->dockOn(mainWindowFrame());
}

void MainWindow::moveWindow(Point proposed)
{
    const Point centre{x() + ClientWidth / 2, y() + ClientHeight / 2};
    const Point p = snapToWorkArea(proposed, ClientWidth, ClientHeight, m_platform.screen->workAreaAt(centre));
    move(p.x, p.y);
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    // Presses on labels, the swatch, the strip and the background arrive
    // here; buttons and the separator keep theirs.
    m_dragOffset = event->globalPosition().toPoint() - pos();
    event->accept();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragOffset) return;
    const QPoint target = event->globalPosition().toPoint() - *m_dragOffset;
    if (target != pos()) moveWindow({target.x(), target.y()});
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton) m_dragOffset.reset();
}

void MainWindow::applicationActivated() { setHelpButtonColour(HelpActive); }

void MainWindow::applicationDeactivated()
{
    setHelpButtonColour(HelpInactive);
    liftPointerAids();
}

void MainWindow::releaseAxisLocks()
{
    if (rowLocked || columnLocked) m_platform.pointer->release();
    rowLocked = columnLocked = false;
}

void MainWindow::liftPointerAids()
{
    // Once the close has given the pointer back, nothing takes it again.
    if (m_closed) return;
    // Keys released in another program never reach us: a user who switches
    // away with Alt, Shift or Ctrl down must not be left with a pointer stuck
    // on a line or at the inverted speed.
    releaseAxisLocks();
    m_state.altHeld = m_state.ctrlHeld = false;
    if (m_platform.pointer->speed() != configuredSpeed(m_state)) m_platform.pointer->setSpeed(configuredSpeed(m_state));
}

void MainWindow::keyDown(const KeyChord& key)
{
    Pointer& pointer = *m_platform.pointer;
    m_state.altHeld = key.alt;
    m_state.ctrlHeld = key.ctrl;
    if (key.alt && !rowLocked) {
        lockStart = pointer.position().value_or(lockStart);
        pointer.confine(rowThrough(lockStart, m_platform.screen->virtualDesktop()));
        rowLocked = true;
    }
    if (key.shift && !columnLocked) {
        lockStart = pointer.position().value_or(lockStart);
        pointer.confine(columnThrough(lockStart, m_platform.screen->virtualDesktop()));
        columnLocked = true;
    }
    if (key.ctrl) pointer.setSpeed(invertedSpeed(m_state));
    if (key.key >= keys::Left && key.key <= keys::Down) nudgePointer(key.key);
    // Zoom steps: exactly Ctrl with the plus or minus key of the main keyboard.
    if (key.ctrl && !key.alt && !key.shift && (key.key == keys::Plus || key.key == keys::Minus)) {
        m_state.zoom = key.key == keys::Plus ? zoomStepUp(m_state.zoom) : zoomStepDown(m_state.zoom);
        zoomChanged();
    }
}

void MainWindow::nudgePointer(int key)
{
    // A warp lands exactly, whatever the pointer's speed; relative motion
    // would be scaled by it.
    Pointer& pointer = *m_platform.pointer;
    const std::optional<Point> from = pointer.position();
    if (!from) return;
    if (const auto to = nudgeTarget(*from, key, rowLocked, columnLocked, m_platform.screen->virtualDesktop()))
        pointer.moveTo(*to);
}

void MainWindow::zoomChanged()
{
    if (m_windows.magnifier) m_windows.magnifier->showZoom(m_state.zoom);
    applySlowPointer();
}

void MainWindow::keyUp(const KeyChord& key)
{
    Pointer& pointer = *m_platform.pointer;
    if (!key.alt) rowLocked = false;
    if (!key.shift) columnLocked = false;
    if (!key.alt && !key.shift) pointer.release();
    if (!key.ctrl) pointer.setSpeed(configuredSpeed(m_state));
    m_state.altHeld = key.alt;
    m_state.ctrlHeld = key.ctrl;
}

void MainWindow::applySlowPointer()
{
    if (!m_closed) tintora::applySlowPointer(m_state, *m_platform.pointer);
}

void MainWindow::showOptions()
{
    pinButton->setImage(m_state.alwaysOnTop ? ButtonImage::PinOn : ButtonImage::PinOff);
    hexButton->setImage(m_state.hexadecimal ? ButtonImage::HexOn : ButtonImage::HexOff);
    fractionButton->setImage(m_state.fractions ? ButtonImage::FractionOn : ButtonImage::FractionOff);
    magnifierButton->setImage(m_state.magnifierShown ? ButtonImage::MagnifierShown : ButtonImage::MagnifierHidden);
}

void MainWindow::showMagnifier(bool shown)
{
    MagnifierWindow* magnifier = m_windows.magnifier;
    if (!magnifier) return;
    if (shown) {
        magnifier->dockOn(mainWindowFrame());
        magnifier->show();
        // The magnifier never keeps the focus.
        focusMainWindow();
    } else {
        magnifier->hide();
    }
    m_state.magnifierShown = magnifier->isVisible();
    showOptions();
}

void MainWindow::toggleMagnifier()
{
    showMagnifier(!m_state.magnifierShown);
    applySlowPointer();
}

void MainWindow::showLutCurves(bool shown)
{
    LutWindow* lut = m_windows.lutCurves;
    if (!lut) return;
    lut->showCurves(shown);
    if (!shown) return;
    lut->follow(rampReading, m_state.bitmapColour);
    // The keys stay here: nudging and the commands.
    focusMainWindow();
}

void MainWindow::toggleLutCurves() { showLutCurves(!m_state.lutCurvesShown); }

void MainWindow::toggleHelp() { m_windows.help->toggle(); }

void MainWindow::showHelpFromButton() { m_windows.help->showHelp(); }

void MainWindow::closeOrHideMagnifier()
{
    if (m_state.magnifierShown)
        toggleMagnifier();
    else
        close();
}

void MainWindow::closeProgram() { close(); }

void MainWindow::showSettings() { m_windows.settings->showModal(); }

void MainWindow::toggleHexadecimal()
{
    m_state.hexadecimal = !m_state.hexadecimal;
    if (m_state.hexadecimal) m_state.fractions = false;
    showOptions();
}

void MainWindow::toggleFractions()
{
    m_state.fractions = !m_state.fractions;
    if (m_state.fractions) m_state.hexadecimal = false;
    showOptions();
}

void MainWindow::setAlwaysOnTop(bool on)
{
    m_state.alwaysOnTop = on;
    if (m_windows.magnifier) m_windows.magnifier->topmostBand.set(m_windows.magnifier, *m_platform.windows, on);
    topmostBand.set(this, *m_platform.windows, on);
    showOptions();
}

void MainWindow::toggleAlwaysOnTop() { setAlwaysOnTop(!m_state.alwaysOnTop); }

void MainWindow::toggleFreeze()
{
    if (probeTimer->isActive()) {
        probeTimer->stop();
        swatch->mouseDownMovesWindow = false;
    } else {
        probeTimer->start(); // a fresh interval: the first tick comes 50 ms later
        swatch->mouseDownMovesWindow = true;
    }
}

void MainWindow::inspectFrozenColour()
{
    if (probing()) return;
    const Rgb c = m_state.altHeld || m_state.ctrlHeld ? m_state.lutColour : m_state.bitmapColour;
    colourSelect->setColour(colourValueFromRgb(c));
    // Alt's and Shift's line and Ctrl's speed end here: the key releases
    // that would end them go to the dialog.
    releaseAxisLocks();
    if (m_platform.pointer->speed() != configuredSpeed(m_state)) m_platform.pointer->setSpeed(configuredSpeed(m_state));
    colourSelect->chooseColour();
    // However the dialog closed, probing resumes.
    toggleFreeze();
}

void MainWindow::copyBitmapColour() { copyToClipboard(m_state.bitmapColour); }

void MainWindow::copyLutColour() { copyToClipboard(m_state.lutColour); }

void MainWindow::copyToClipboard(Rgb colour)
{
    const std::string failure = m_platform.clipboard->setText(hexColour(colour));
    if (!failure.empty()) showError("Cannot open clipboard: " + failure);
}

void MainWindow::probeTick()
{
    MagnifierWindow* magnifier = m_windows.magnifier;
    if (magnifier && magnifier->isVisible()) {
        // One pointer read serves the picture, its label and the sample: a
        // round trip to the server saved twice a tick.
        const Point p = m_platform.pointer->position().value_or(Point{0, 0});
        updateMagnifier(p);
        magnifier->setCoordinates(p);
        sampleAt(m_state, *m_platform.screen, p, rampReading);
    } else {
        samplePointer(m_state, *m_platform.screen, *m_platform.pointer, rampReading);
    }
    showReadouts();
    showRamp();
}

void MainWindow::showRamp()
{
    if (m_rampStatus.follow(rampReading)) lutCaption->setToolTip(QString::fromStdString(m_rampStatus.text()));
    LutWindow* lut = m_windows.lutCurves;
    if (lut && lut->isVisible()) lut->follow(rampReading, m_state.bitmapColour);
}

void MainWindow::updateMagnifier(Point p)
{
    MagnifierPicture* picture = m_windows.magnifier->picture;
    const int w = picture->width();
    const int h = picture->height();
    // The block is not clamped to the screen: what no monitor shows is black.
    // The last block is kept: most ticks, under a resting pointer, bring the
    // same pixels, and then the picture is already right and is neither
    // redrawn nor repainted. Only for blocks no larger than the picture: a
    // larger one (zoom 0.5) costs more to compare than to draw.
    const Rect block = sourceBlock(p, w, h, m_state.zoom);
    std::swap(m_grab, m_previousGrab);
    m_platform.screen->grab(block, m_grab);
    ScreenImage& bitmap = picture->bitmap;
    if (picture->captured && bitmap.width == w && bitmap.height == h && block.width <= w && block.height <= h &&
        m_grab.width == m_previousGrab.width && m_grab.height == m_previousGrab.height &&
        m_grab.pixels == m_previousGrab.pixels)
        return;
    if (bitmap.width != w || bitmap.height != h) {
        // Created at the first capture, reused afterwards.
        bitmap.width = w;
        bitmap.height = h;
        bitmap.pixels.assign(static_cast<std::size_t>(w) * h, 0u);
    }
    stretchInto(m_grab, bitmap);
    drawCrosshair(bitmap);
    picture->captured = true;
    picture->update();
}

void MainWindow::showReadouts()
{
    const ReadoutTexts t = readoutTexts(m_state, m_setup.decimalSeparator);
    setLabelText(bitmapRedLabel, t.bitmap[0]);
    setLabelText(bitmapGreenLabel, t.bitmap[1]);
    setLabelText(bitmapBlueLabel, t.bitmap[2]);
    setLabelText(lutRedLabel, t.lut[0]);
    setLabelText(lutGreenLabel, t.lut[1]);
    setLabelText(lutBlueLabel, t.lut[2]);
    const std::uint32_t colour = colourValueFromRgb(m_state.bitmapColour);
    if (colour != m_swatchColour) {
        m_swatchColour = colour;
        QPalette p = swatch->palette();
        p.setColor(QPalette::Window, toQColor(m_state.bitmapColour));
        swatch->setPalette(p);
    }
    setLabelText(hexColourLabel, t.hash);
    if (readoutsTrace) {
        std::string all = t.hash;
        for (int c = 0; c < 3; ++c) all += '|' + t.bitmap[c] + '|' + t.lut[c];
        if (all != m_lastTrace) {
            m_lastTrace = std::move(all);
            readoutsTrace(t);
        }
    }
}
