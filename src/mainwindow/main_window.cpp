#include "mainwindow/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QWindow>
#include <iostream>

#include "help/help_window.h"
#include "lutview/lut_window.h"
#include "magnifier/magnifier_window.h"
#include "magnifier/zoom_ladder.h"
#include "pointer/pointer_aids.h"
#include "pointer/settings_dialog.h"
#include "probe/readout_text.h"
#include "settings/settings_location.h"
#include "widgets/error_box.h"
#include "widgets/program_font.h"

using namespace tintora;

MainWindow::MainWindow(ProgramState& state, Platform& platform, MainWindowSetup setup)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_platform(platform),
      m_setup(std::move(setup)), m_pointerAids(state, *platform.pointer, *platform.screen.monitors), m_placement(platform),
      m_run(m_pointerAids, *platform.clipboard,
            {[this] {
                 m_probeTimer->stop();
                 if (m_pickMode) m_pickMode->leave();
             },
             [this] { saveSettings(settingsFilePathFor(m_state.programDir)); }, [this] { close(); },
             [this](const std::string& message) {
                 // The box takes the keys, and with them the releases that
                 // would end a line lock or the Ctrl speed.
                 liftPointerAids();
                 showErrorBox(this, message);
             }}),
      m_settings(m_setup.decimalSeparator), m_sampler(m_setup.decimalSeparator)
{
    setWindowTitle(QStringLiteral("Tintora"));
    setFixedSize(ClientWidth, ClientHeight);
    setFocusPolicy(Qt::StrongFocus);
    setFont(programFont());

    m_probeTimer = new QTimer(this);
    m_probeTimer->setTimerType(Qt::PreciseTimer);
    m_probeTimer->setInterval(ProbeIntervalMs);
    connect(m_probeTimer, &QTimer::timeout, this, &MainWindow::probeTick);
    m_readouts = std::make_unique<ReadoutPanel>(*this, m_ui, m_setup.decimalSeparator);
    m_titleStrip = std::make_unique<TitleStrip>(*this, m_ui, m_state, m_platform);
    if (platform.pickOverlay) {
        m_pickMode = std::make_unique<PickMode>(*this, platform);
        // The session shows the pointer only to the pick mode: how to enter it.
        setToolTip(QStringLiteral("P: pick a colour from the screen (a click freezes it, Esc leaves).\n"
                                  "tintora --pick starts in the pick mode."));
    }

    move(0, 0);
    m_probeTimer->start();
    applyCommandLine();
}

void MainWindow::attach(SecondaryWindows windows, TopmostBand& topmostBand)
{
    m_windows = windows;
    m_topmostBand = &topmostBand;
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
    case Command::PickFromScreen: return startPickMode();
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
    // What the session refuses of the pointer aids and the pin is said once,
    // at the start.
    for (const std::string& notice : refusedPointerAids(*m_platform.pointer))
        std::cerr << "tintora: " << notice << '\n';
    if (!m_platform.windows->canKeepOnTop()) std::cerr << "tintora: " << KeepOnTopUnavailableNotice << '\n';
    loadSettings(settingsFilePathFor(m_state.programDir));
    if (!m_startPosition) m_placement.centreInPrimaryWorkArea(this);
    // Shown into the topmost band whatever the settings say.
    show();
    // Keys go to this window from the start, with or without a window
    // manager to give it the focus.
    activateWindow();
    // Placed beside the main window where it now stands.
    if (m_state.options.lutCurvesShown) showLutCurves(true);
    if (m_setup.pickAtStart) {
        if (m_pickMode)
            startPickMode();
        else
            std::cerr << "tintora: --pick: this session shows the pointer everywhere; there is no pick mode.\n";
    }
}

void MainWindow::loadSettings(const std::string& path)
{
    const StoredOptions loaded = m_settings.load(path);
    // Whether the magnifier is shown stays the window's to say: showing it
    // sets the state.
    const bool magnifierShown = m_state.options.magnifierShown;
    m_state.options = loaded;
    m_state.options.magnifierShown = magnifierShown;
    setAlwaysOnTop(loaded.alwaysOnTop);
    if (loaded.magnifierShown) showMagnifier(true);
    if (isVisible()) showLutCurves(loaded.lutCurvesShown);
    showOptionButtons();
    zoomChanged();
}

void MainWindow::saveSettings(const std::string& path)
{
    if (const std::optional<std::string> failure = m_settings.save(path, m_state.options)) showError(*failure);
}

void MainWindow::showError(const std::string& message) { m_run.showError(message); }

void MainWindow::closeQuietly() { m_run.closeQuietly(); }

void MainWindow::saveAfterDisplayLoss() { m_run.saveAfterDisplayLoss(); }

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_run.finishRun();
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

void MainWindow::moveWindow(Point proposed) { m_placement.moveSnapped(this, proposed); }

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    // Presses on labels, the swatch, the strip and the background arrive
    // here; buttons and the separator keep theirs.
    event->accept();
    if (!m_placement.placesWindows()) {
        // The compositor moves the window itself, and snaps as it does.
        if (event->button() == Qt::LeftButton && windowHandle()) windowHandle()->startSystemMove();
        return;
    }
    m_dragOffset = event->globalPosition().toPoint() - pos();
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

void MainWindow::applicationActivated() { m_titleStrip->showActive(true); }

void MainWindow::applicationDeactivated()
{
    m_titleStrip->showActive(false);
    liftPointerAids();
}

void MainWindow::liftPointerAids()
{
    // Keys released in another program never reach us: a user who switches
    // away with Alt, Shift or Ctrl down must not be left with a pointer stuck
    // on a line or at the inverted speed.
    m_pointerAids.lift();
}

void MainWindow::keyDown(const KeyChord& key)
{
    m_pointerAids.keyDown(key);
    // Zoom steps: exactly Ctrl with the plus or minus key of the main keyboard.
    if (key.ctrl && !key.alt && !key.shift && (key.key == keys::Plus || key.key == keys::Minus)) {
        m_state.options.zoom = key.key == keys::Plus ? zoomStepUp(m_state.options.zoom) : zoomStepDown(m_state.options.zoom);
        zoomChanged();
    }
}

void MainWindow::keyUp(const KeyChord& key) { m_pointerAids.keyUp(key); }

void MainWindow::zoomChanged()
{
    if (m_windows.magnifier) m_windows.magnifier->showZoom(m_state.options.zoom);
    applySlowPointer();
}

void MainWindow::applySlowPointer() { m_pointerAids.applySlowPointer(); }

void MainWindow::showOptionButtons() { m_titleStrip->showOptionButtons(); }

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
    m_state.options.magnifierShown = magnifier->isVisible();
    showOptionButtons();
}

void MainWindow::toggleMagnifier()
{
    showMagnifier(!m_state.options.magnifierShown);
    applySlowPointer();
}

void MainWindow::showLutCurves(bool shown)
{
    LutWindow* lut = m_windows.lutWindow;
    if (!lut) return;
    // It missed the ticks while hidden: it takes the whole latest sample
    // before it can paint.
    if (shown) lut->follow(sample(), SampleChanges::everything());
    lut->showCurves(shown);
    if (!shown) return;
    // The keys stay here: nudging and the commands.
    focusMainWindow();
}

void MainWindow::toggleLutCurves() { showLutCurves(!m_state.options.lutCurvesShown); }

void MainWindow::startPickMode()
{
    if (m_pickMode && m_run.running()) m_pickMode->start();
}

void MainWindow::toggleHelp() { m_windows.help->toggle(); }

void MainWindow::showHelpFromButton() { m_windows.help->showHelp(); }

void MainWindow::closeOrHideMagnifier()
{
    if (m_state.options.magnifierShown)
        toggleMagnifier();
    else
        close();
}

void MainWindow::closeProgram() { close(); }

void MainWindow::showSettings()
{
    m_windows.settings->showModal();
    // The speed the dialog's box asks for.
    m_pointerAids.applyConfiguredSpeed();
}

void MainWindow::toggleHexadecimal()
{
    m_state.options.hexadecimal = !m_state.options.hexadecimal;
    if (m_state.options.hexadecimal) m_state.options.fractions = false;
    showOptionButtons();
}

void MainWindow::toggleFractions()
{
    m_state.options.fractions = !m_state.options.fractions;
    if (m_state.options.fractions) m_state.options.hexadecimal = false;
    showOptionButtons();
}

void MainWindow::setAlwaysOnTop(bool on)
{
    m_state.options.alwaysOnTop = on;
    // The magnifier follows the pin with this window.
    if (m_topmostBand) m_topmostBand->setStayOnTop(on);
    showOptionButtons();
}

void MainWindow::toggleAlwaysOnTop()
{
    // Its key does nothing either where the pin is disabled.
    if (m_platform.windows->canKeepOnTop()) setAlwaysOnTop(!m_state.options.alwaysOnTop);
}

void MainWindow::toggleFreeze()
{
    if (m_probeTimer->isActive()) {
        m_probeTimer->stop();
        m_ui.swatch->setMovesWindow(false);
    } else {
        m_probeTimer->start(); // a fresh interval: the first tick comes 50 ms later
        m_ui.swatch->setMovesWindow(true);
    }
}

void MainWindow::inspectFrozenColour()
{
    if (probing()) return;
    const std::optional<Rgb> c = m_state.altHeld || m_state.ctrlHeld ? sample().lut() : sample().bitmap;
    // A colour the sample lacks is not made up: the swatch shows none, and
    // the click opens nothing.
    if (!c) return;
    m_ui.colourSelect->setColour(colourValueFromRgb(*c));
    // Alt's and Shift's line and Ctrl's speed end here: the key releases
    // that would end them go to the dialog.
    m_pointerAids.releaseLocks();
    m_pointerAids.restoreConfiguredSpeed();
    m_ui.colourSelect->chooseColour();
    // However the dialog closed, probing resumes.
    toggleFreeze();
}

void MainWindow::copyBitmapColour() { copyToClipboard(sample().bitmap); }

void MainWindow::copyLutColour() { copyToClipboard(sample().lut()); }

void MainWindow::copyToClipboard(const std::optional<Rgb>& colour)
{
    // A colour the sample lacks is not made up: the clipboard keeps what it has.
    if (!colour) return;
    const std::string failure = m_platform.clipboard->setText(hexColour(*colour));
    if (!failure.empty()) showError("Cannot open clipboard: " + failure);
}

void MainWindow::probeTick()
{
    // Where the pointer is known only in the pick mode, the readouts hold
    // the last colour outside it.
    if (m_pickMode && !m_pickMode->followsPointer()) return;
    MagnifierWindow* magnifier = m_windows.magnifier;
    if (magnifier && magnifier->isVisible()) {
        // One pointer read serves the picture, the sample and the picture's
        // label: a round trip to the server saved twice a tick.
        const Point p = m_platform.pointer->position().value_or(Point{0, 0});
        magnifier->capture(p);
        magnifier->setCoordinates(m_sampler.sampleAt(m_platform.screen, p, std::cerr).at);
    } else {
        m_sampler.samplePointer(m_platform.screen, *m_platform.pointer, std::cerr);
    }
    showReadouts();
    showRamp();
}

void MainWindow::showRamp()
{
    const Sample& s = sample();
    m_readouts->showStatus(s);
    LutWindow* lut = m_windows.lutWindow;
    if (lut && lut->isVisible()) lut->follow(s, s.changed);
}

void MainWindow::showReadouts()
{
    m_readouts->showSample(sample(), readoutFormat(m_state.options.hexadecimal, m_state.options.fractions), readoutsTrace);
}
