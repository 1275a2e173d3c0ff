#include "mainwindow/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QWindow>
#include <iostream>

#include "core/error_text.h"
#include "help/help_window.h"
#include "lutview/lut_window.h"
#include "magnifier/magnifier_window.h"
#include "magnifier/zoom_ladder.h"
#include "pointer/pointer_aids.h"
#include "pointer/settings_dialog.h"
#include "probe/readout_text.h"
#include "settings/ini_file.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "settings/settings_location.h"
#include "widgets/error_box.h"
#include "widgets/program_font.h"
#include "widgets/qt_colour.h"

using namespace tintora;

namespace {

// The "F1" caption while the program is active, and while it is not.
const QColor HelpActive(255, 255, 0);
const QColor HelpInactive(128, 128, 128);

// The "LUT:" caption's tooltip: the ramp's status, then the display
// profile's, each broken at spaces into lines of at most 360 pixels in the
// tooltip's font, so that it stands beside the caption rather than running
// across the readouts. The text as it is: Qt takes a text that looks like
// HTML (a profile's description may) for rich text, so that one is escaped.
QString lutCaptionToolTip(const std::string& rampStatus, const std::string& profileStatus)
{
    constexpr int Width = 360;
    const QFontMetrics metrics(QToolTip::font());
    QStringList lines;
    for (const std::string* status : {&rampStatus, &profileStatus}) {
        QString line;
        for (const QString& word : QString::fromStdString(*status).split(u' ')) {
            const QString longer = line.isEmpty() ? word : line + u' ' + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(longer) > Width) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
    }
    const QString text = lines.join(u'\n');
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}

} // namespace

MainWindow::MainWindow(ProgramState& state, Platform& platform, MainWindowSetup setup)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_platform(platform),
      m_setup(std::move(setup)), m_pointerAids(state, *platform.pointer, *platform.screen),
      m_placement(platform), m_sampler(m_setup.decimalSeparator)
{
    setWindowTitle(QStringLiteral("Tintora"));
    setFixedSize(ClientWidth, ClientHeight);
    setFocusPolicy(Qt::StrongFocus);
    setFont(programFont());

    m_probeTimer = new QTimer(this);
    m_probeTimer->setTimerType(Qt::PreciseTimer);
    m_probeTimer->setInterval(ProbeIntervalMs);
    connect(m_probeTimer, &QTimer::timeout, this, &MainWindow::probeTick);
    createReadouts();
    createTitleStrip();
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

void MainWindow::createReadouts()
{
    m_ui.bitmapRedLabel = makeLabel(kMissingLevelText, 32, 47);
    m_ui.bitmapGreenLabel = makeLabel(kMissingLevelText, 32, 66);
    m_ui.bitmapBlueLabel = makeLabel(kMissingLevelText, 32, 85);
    m_ui.redCaption = makeLabel("R:", 10, 48);
    m_ui.greenCaption = makeLabel("G:", 10, 66);
    m_ui.blueCaption = makeLabel("B:", 10, 85);
    m_ui.lutRedLabel = makeLabel(kMissingLevelText, 70, 48);
    m_ui.lutGreenLabel = makeLabel(kMissingLevelText, 70, 66);
    m_ui.lutBlueLabel = makeLabel(kMissingLevelText, 70, 85);
    m_ui.bitmapCaption = makeLabel("Bitmap:", 10, 29);
    m_ui.lutCaption = makeLabel("LUT:", 70, 28);

    m_ui.swatch = new Swatch(this);
    m_ui.swatch->setFrameShape(QFrame::NoFrame);
    m_ui.swatch->setAutoFillBackground(true);
    m_ui.swatch->setGeometry(142, 47, 51, 51);
    connect(m_ui.swatch, &Swatch::clicked, this, &MainWindow::inspectFrozenColour);

    m_ui.hexColourLabel = makeLabel(kMissingHashText, 142, 28);

    m_ui.columnSeparator = new ColumnSeparator(this);
    m_ui.columnSeparator->setGeometry(63, 28, 3, 74);
}

void MainWindow::createTitleStrip()
{
    m_ui.titleStrip = new QFrame(this);
    m_ui.titleStrip->setFrameShape(QFrame::Panel);
    m_ui.titleStrip->setFrameShadow(QFrame::Raised);
    m_ui.titleStrip->setGeometry(0, 0, ClientWidth, 23);
    m_ui.titleStrip->setAutoFillBackground(true);

    // Left to right: gear, F1, a gap, D, H, magnifier, pin, exit.
    auto button = [this](int left, ButtonImage image, void (MainWindow::*onClick)()) {
        auto* b = new TitleButton(m_ui.titleStrip, image);
        b->move(left, 1);
        connect(b, &QToolButton::clicked, this, onClick);
        return b;
    };
    m_ui.settingsButton = button(1, ButtonImage::Gear, &MainWindow::showSettings);
    m_ui.helpButton = button(24, ButtonImage::None, &MainWindow::showHelpFromButton);
    m_ui.helpButton->setText(QStringLiteral("F1"));
    m_ui.helpButton->setFont(font());
    m_ui.fractionButton = button(87, ButtonImage::FractionOff, &MainWindow::toggleFractions);
    m_ui.hexButton = button(110, ButtonImage::HexOff, &MainWindow::toggleHexadecimal);
    m_ui.magnifierButton = button(133, ButtonImage::MagnifierHidden, &MainWindow::toggleMagnifier);
    m_ui.pinButton = button(156, ButtonImage::PinOff, &MainWindow::toggleAlwaysOnTop);
    m_ui.exitButton = button(179, ButtonImage::Exit, &MainWindow::closeProgram);
    setHelpButtonColour(HelpActive);

    m_ui.colourSelect = new ColourSelectButton(m_platform, this);
    m_ui.colourSelect->hide();
}

void MainWindow::attach(SecondaryWindows windows, TopmostBand& topmostBand)
{
    m_windows = windows;
    m_topmostBand = &topmostBand;
}

QLabel* MainWindow::makeLabel(const char* text, int left, int top)
{
    auto* label = new QLabel(QString::fromUtf8(text), this);
    label->move(left, top);
    label->adjustSize();
    // A label ignores presses: they go on to the window, which drags itself.
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
    QPalette p = m_ui.helpButton->palette();
    p.setColor(QPalette::ButtonText, colour);
    p.setColor(QPalette::WindowText, colour);
    m_ui.helpButton->setPalette(p);
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
    // What the session refuses of the pointer aids is said once, at the start.
    for (const std::string& notice : refusedPointerAids(*m_platform.pointer))
        std::cerr << "tintora: " << notice << '\n';
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
    std::string error;
    // An unreadable file reads like a missing one, every key its default;
    // the close will not write over it.
    const std::optional<SettingsDocument> file = readSettingsFile(path, error);
    if (!file)
        std::cerr << "tintora: the settings file cannot be used (" << error
                  << "); the program starts with the defaults and will not write the file.\n";
    m_loadedSettings = file ? file->ini : IniDocument();
    m_settingsUnused = !file;
    const StoredOptions loaded = readStoredOptions(m_loadedSettings, m_setup.decimalSeparator);
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
    std::string error;
    const SaveOutcome outcome =
        saveSettingsFile(path, m_loadedSettings, m_state.options, m_setup.decimalSeparator, error);
    // A file left alone from the start was said so then; only a change since is news.
    if (outcome != SaveOutcome::Failed && (outcome != SaveOutcome::LeftAlone || m_settingsUnused)) return;
    std::cerr << "tintora: the settings were not saved: " << error << '\n';
    showError("Unable to write to " + path);
}

void MainWindow::showError(const std::string& message)
{
    if (m_errorsToStandardError) {
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
    m_errorsToStandardError = true;
    if (m_runState != RunState::Running) {
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
    if (m_runState != RunState::Running) return;
    // With the connection gone nothing can be given back or shown.
    m_runState = RunState::Closed;
    m_pointerAids.stopWithoutGivingBack();
    m_errorsToStandardError = true;
    saveSettings(settingsFilePathFor(m_state.programDir));
}

void MainWindow::finishRun()
{
    if (m_runState != RunState::Running) return;
    m_runState = RunState::Closing;
    m_probeTimer->stop();
    if (m_pickMode) m_pickMode->leave();
    // The pointer is given back before anything that can wait on the user;
    // the axis locks end with the program, whatever keys are still down, and
    // no key of any window takes the pointer again.
    m_pointerAids.giveBack();
    // A colour copied last stays pasteable after the program has gone.
    m_platform.clipboard->keepAfterExit();
    // Last: a failure is reported in a box that waits for an answer.
    saveSettings(settingsFilePathFor(m_state.programDir));
    m_runState = RunState::Closed;
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

void MainWindow::applicationActivated() { setHelpButtonColour(HelpActive); }

void MainWindow::applicationDeactivated()
{
    setHelpButtonColour(HelpInactive);
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

void MainWindow::showOptionButtons()
{
    m_ui.pinButton->setImage(m_state.options.alwaysOnTop ? ButtonImage::PinOn : ButtonImage::PinOff);
    m_ui.hexButton->setImage(m_state.options.hexadecimal ? ButtonImage::HexOn : ButtonImage::HexOff);
    m_ui.fractionButton->setImage(m_state.options.fractions ? ButtonImage::FractionOn : ButtonImage::FractionOff);
    m_ui.magnifierButton->setImage(m_state.options.magnifierShown ? ButtonImage::MagnifierShown : ButtonImage::MagnifierHidden);
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
    if (m_pickMode && m_runState == RunState::Running) m_pickMode->start();
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

void MainWindow::toggleAlwaysOnTop() { setAlwaysOnTop(!m_state.options.alwaysOnTop); }

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
        magnifier->setCoordinates(m_sampler.sampleAt(*m_platform.screen, p, std::cerr).at);
    } else {
        m_sampler.samplePointer(*m_platform.screen, *m_platform.pointer, std::cerr);
    }
    showReadouts();
    showRamp();
}

void MainWindow::showRamp()
{
    const Sample& s = sample();
    if (s.changed.rampStatus || s.changed.profileStatus)
        m_ui.lutCaption->setToolTip(lutCaptionToolTip(s.rampStatus, s.profileStatus));
    LutWindow* lut = m_windows.lutWindow;
    if (lut && lut->isVisible()) lut->follow(s, s.changed);
}

void MainWindow::showReadouts()
{
    const Sample& s = sample();
    const ReadoutFormat format = readoutFormat(m_state.options.hexadecimal, m_state.options.fractions);
    // A resting pointer in an unchanged format: nothing to write.
    if (!s.changed.readouts() && m_readoutFormat == format) return;
    m_readoutFormat = format;
    const ReadoutTexts t = readoutTexts(s, format, m_setup.decimalSeparator);
    setLabelText(m_ui.bitmapRedLabel, t.bitmap[0]);
    setLabelText(m_ui.bitmapGreenLabel, t.bitmap[1]);
    setLabelText(m_ui.bitmapBlueLabel, t.bitmap[2]);
    setLabelText(m_ui.lutRedLabel, t.lut[0]);
    setLabelText(m_ui.lutGreenLabel, t.lut[1]);
    setLabelText(m_ui.lutBlueLabel, t.lut[2]);
    if (s.changed.bitmap) {
        // Without a pixel the swatch shows no colour: the window's own.
        QPalette p = m_ui.swatch->palette();
        p.setColor(QPalette::Window, s.bitmap ? toQColor(*s.bitmap) : palette().color(QPalette::Window));
        m_ui.swatch->setPalette(p);
    }
    setLabelText(m_ui.hexColourLabel, t.hash);
    if (readoutsTrace) {
        std::string all = t.hash;
        for (int c = 0; c < 3; ++c) all += '|' + t.bitmap[c] + '|' + t.lut[c];
        if (all != m_lastTrace) {
            m_lastTrace = std::move(all);
            readoutsTrace(t);
        }
    }
}
