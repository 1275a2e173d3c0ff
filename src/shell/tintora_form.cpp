#include "shell/tintora_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <iostream>

#include "help/help_form.h"
#include "magnifier/magnifier_form.h"
#include "magnifier/magnifier_geometry.h"
#include "magnifier/zoom_ladder.h"
#include "pointer/pointer_aids.h"
#include "pointer/settings_form.h"
#include "probe/lut.h"
#include "probe/probe_tick.h"
#include "probe/readout_text.h"
#include "shell/error_box.h"
#include "shell/ini_file.h"
#include "shell/ini_storage.h"
#include "shell/settings_location.h"
#include "shell/settings_values.h"
#include "shell/screen_snapping.h"

using namespace tintora;

namespace {

// Images the title-strip buttons show at start.
constexpr int ImageExit = 0;
constexpr int ImagePinOff = 1;
constexpr int ImagePinOn = 2;
constexpr int ImageHexOff = 3;
constexpr int ImageHexOn = 4;
constexpr int ImageMagnifierHidden = 5;
constexpr int ImageMagnifierShown = 6;
constexpr int ImageGear = 7;
constexpr int ImageDecOff = 8;
constexpr int ImageDecOn = 9;

const QColor F1Active(255, 255, 0);
const QColor F1Inactive(128, 128, 128);

} // namespace

void TBevel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(1, 0, 1, height() - 1);
}

void TBevel::mousePressEvent(QMouseEvent* event) { event->accept(); }

void TSwatch::mousePressEvent(QMouseEvent* event)
{
    if (mouseDownMovesWindow)
        event->ignore(); // on to the window, which drags itself
    else
        event->accept();
}

void TSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    if (mouseDownMovesWindow) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

TTintoraForm::TTintoraForm(ProgramState& state, Platform& platform, MainWindowSetup setup)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_platform(platform),
      m_setup(std::move(setup))
{
    setWindowTitle(QStringLiteral("Tintora"));
    setFixedSize(ClientWidth, ClientHeight);
    setFocusPolicy(Qt::StrongFocus);

    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif); // the system sans-serif where Tahoma is missing
    setFont(font);

    sLabel1 = makeLabel("?", 32, 47);
    sLabel2 = makeLabel("?", 32, 66);
    sLabel3 = makeLabel("?", 32, 85);
    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(ProbeIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TTintoraForm::Timer1Timer);
    sLabel4 = makeLabel("R:", 10, 48);
    sLabel5 = makeLabel("G:", 10, 66);
    sLabel6 = makeLabel("B:", 10, 85);
    sLabel7 = makeLabel("?", 70, 48);
    sLabel8 = makeLabel("?", 70, 66);
    sLabel9 = makeLabel("?", 70, 85);
    sLabel10 = makeLabel("Bitmap:", 10, 29);
    sLabel11 = makeLabel("LUT:", 70, 28);

    sPanel1 = new TSwatch(this);
    sPanel1->setFrameShape(QFrame::NoFrame);
    sPanel1->setAutoFillBackground(true);
    sPanel1->setGeometry(142, 47, 51, 51);
    connect(sPanel1, &TSwatch::clicked, this, &TTintoraForm::sPanel1Click);

    sLabel12 = makeLabel("#", 142, 28);

    sBevel1 = new TBevel(this);
    sBevel1->setGeometry(63, 28, 3, 74);

    sPanel2 = new QFrame(this);
    sPanel2->setFrameShape(QFrame::Panel);
    sPanel2->setFrameShadow(QFrame::Raised);
    sPanel2->setGeometry(0, 0, ClientWidth, 23);
    sPanel2->setAutoFillBackground(true);

    // Right-aligned buttons keep their distance from the strip's right end.
    sSpeedButton1 = new TSpeedButton(sPanel2, ImagePinOff);
    sSpeedButton1->move(156, 1);
    sSpeedButton2 = new TSpeedButton(sPanel2, ImageMagnifierHidden);
    sSpeedButton2->move(133, 1);
    sSpeedButton3 = new TSpeedButton(sPanel2, ImageHexOff);
    sSpeedButton3->move(110, 1);
    sSpeedButton4 = new TSpeedButton(sPanel2, ImageExit);
    sSpeedButton4->move(179, 1);
    sSpeedButton5 = new TSpeedButton(sPanel2);
    sSpeedButton5->move(24, 1);
    sSpeedButton5->setText(QStringLiteral("F1"));
    sSpeedButton5->setFont(font);
    sSpeedButton6 = new TSpeedButton(sPanel2, ImageGear);
    sSpeedButton6->move(1, 1);
    sSpeedButton7 = new TSpeedButton(sPanel2, ImageDecOff);
    sSpeedButton7->move(87, 1);
    sColorSelect1 = new TsColorSelect(this, m_platform);
    sColorSelect1->hide();
    setF1Colour(F1Active);

    connect(sSpeedButton1, &QToolButton::clicked, this, &TTintoraForm::ВсегдаНаверхуExecute);
    connect(sSpeedButton2, &QToolButton::clicked, this, &TTintoraForm::ЛупаExecute);
    connect(sSpeedButton3, &QToolButton::clicked, this, &TTintoraForm::HexРежимExecute);
    connect(sSpeedButton4, &QToolButton::clicked, this, &TTintoraForm::sSpeedButton4Click);
    connect(sSpeedButton5, &QToolButton::clicked, this, &TTintoraForm::sSpeedButton5Click);
    connect(sSpeedButton6, &QToolButton::clicked, this, &TTintoraForm::sSpeedButton6Click);
    connect(sSpeedButton7, &QToolButton::clicked, this, &TTintoraForm::DecРежимExecute);
    buildActionList();
    errorBox = [this](const std::string& message) {
        if (m_quiet)
            std::cerr << "tintora: " << errorBoxText(message) << '\n';
        else
            showErrorBox(this, message);
    };

    move(0, 0);
    Timer1->start();
    FormCreate();
}

QLabel* TTintoraForm::makeLabel(const char* text, int left, int top)
{
    auto* label = new QLabel(QString::fromUtf8(text), this);
    label->move(left, top);
    label->adjustSize();
    // Presses fall through to the window, which drags itself.
    label->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    return label;
}

void TTintoraForm::setLabelText(QLabel* label, const std::string& text)
{
    // Compared in place: most ticks change no text, and then nothing is
    // converted or allocated.
    if (QAnyStringView::equal(label->text(), QUtf8StringView(text.data(), static_cast<qsizetype>(text.size())))) return;
    label->setText(QString::fromStdString(text));
    label->adjustSize();
}

void TTintoraForm::setF1Colour(const QColor& colour)
{
    QPalette p = sSpeedButton5->palette();
    p.setColor(QPalette::ButtonText, colour);
    p.setColor(QPalette::WindowText, colour);
    sSpeedButton5->setPalette(p);
}

void TTintoraForm::buildActionList()
{
    using namespace tintora::keys;
    auto run = [this](void (TTintoraForm::*handler)()) { return [this, handler] { (this->*handler)(); }; };
    ActionList1 = {
        {"Помощь", F1, {}, run(&TTintoraForm::ПомощьExecute)},
        {"Закрыть", Escape, {}, run(&TTintoraForm::ЗакрытьExecute)},
        {"Лупа", CtrlBit | 'M', {Tab}, run(&TTintoraForm::ЛупаExecute)},
        {"HexРежим", CtrlBit | 'H', {}, run(&TTintoraForm::HexРежимExecute)},
        {"КопироватьBitmap", CtrlBit | 'C', {}, run(&TTintoraForm::КопироватьBitmapExecute)},
        {"КопироватьLUT", CtrlBit | AltBit | 'C', {}, run(&TTintoraForm::КопироватьLUTExecute)},
        {"Цвет", Space, {}, run(&TTintoraForm::ЦветExecute)},
        {"ВсегдаНаверху", CtrlBit | 'T', {}, run(&TTintoraForm::ВсегдаНаверхуExecute)},
        {"DecРежим", CtrlBit | 'D', {}, run(&TTintoraForm::DecРежимExecute)},
        {"ЗакрытьВсё", 'I', {CtrlBit | 'I'}, run(&TTintoraForm::ЗакрытьВсёExecute)},
        {"Настройки", CtrlBit | 'S', {}, run(&TTintoraForm::sSpeedButton6Click)},
    };
}

void TTintoraForm::FormCreate()
{
    m_state.ProgramDir = m_setup.programDir;
    m_state.SavedMouseSpeed = m_platform.pointer->speed();
    m_startPosition = parseStartPosition(m_setup.args);
    if (m_startPosition) {
        // Top first, then left, each move snapped on its own.
        moveWindow({x(), m_startPosition->top});
        moveWindow({m_startPosition->left, y()});
    }
}

void TTintoraForm::showMainWindow()
{
    FormShow();
    if (!m_startPosition) moveWindow(centreInWorkArea(ClientWidth, ClientHeight, m_platform.screen->primaryWorkArea()));
    show();
    // Keys go to this window from the start, with or without a window
    // manager to give it the focus.
    activateWindow();
    // Into the topmost band whatever the settings say.
    putInTopmostBandWhenShown(this, *m_platform.windows);
}

void TTintoraForm::FormShow() { LoadSettings(settingsFilePathFor(m_state.ProgramDir)); }

void TTintoraForm::LoadSettings(const std::string& path)
{
    std::string error;
    // An unreadable file reads like a missing one: every key its default.
    const IniDocument ini = IniDocument::parse(readFile(path, error).value_or(""));
    auto flag = [&](const char* section, const char* key) {
        return readBool(ini.value(section, key)).value_or(false);
    };

    const bool pinned = flag("GENERAL", "onTop");
    sSpeedButton1->setImageIndex(pinned ? ImagePinOn : ImagePinOff);
    m_state.Form3->onTop.set(m_state.Form3, *m_platform.windows, pinned);
    onTop.set(this, *m_platform.windows, pinned);

    m_state.HexMode = flag("GENERAL", "HexMode");
    if (m_state.HexMode) sSpeedButton3->setImageIndex(ImageHexOn);
    m_state.DecMode = flag("GENERAL", "DecMode");
    if (m_state.DecMode) sSpeedButton7->setImageIndex(ImageDecOn);

    if (flag("MAGNIFIER", "ShowMag")) {
        m_state.Form3->move(x(), y() - TForm3::ClientHeight);
        m_state.Form3->show();
        activateWindow();
        setFocus();
    }
    m_state.Zoom = zoomFromFile(readZoom(ini.value("MAGNIFIER", "Zoom"), m_setup.decimalSeparator));
    m_state.SlowMouse = flag("MAGNIFIER", "SlowMouse");
    ZoomCheckedInPopUp();
}

void TTintoraForm::SaveSettings(const std::string& path)
{
    const std::string failure = "Unable to write to " + path;
    std::string error;
    const std::optional<std::string> bytes = readFile(path, error);
    if (!bytes) {
        // Never overwrite a file whose contents could not be read.
        errorBox(failure);
        return;
    }
    if (!makeParentDirectories(path)) {
        errorBox(failure);
        return;
    }
    IniDocument ini = IniDocument::parse(*bytes);
    const std::pair<const char*, std::string> general[] = {
        {"onTop", writeBool(sSpeedButton1->ImageIndex() != ImagePinOff)},
        {"HexMode", writeBool(m_state.HexMode)},
        {"DecMode", writeBool(m_state.DecMode)},
    };
    const std::pair<const char*, std::string> magnifier[] = {
        {"ShowMag", writeBool(m_state.Form3->isVisible())},
        {"Zoom", writeZoom(m_state.Zoom, m_setup.decimalSeparator)},
        {"SlowMouse", writeBool(m_state.SlowMouse)},
    };
    // One write per key, each replacing the file whole: a failure stops the
    // saving at that key, the keys before it being written.
    auto write = [&](const char* section, const std::pair<const char*, std::string>& kv) {
        ini.setValue(section, kv.first, kv.second);
        return writeFileAtomically(path, ini.text(), error);
    };
    for (const auto& kv : general)
        if (!write("GENERAL", kv)) return errorBox(failure);
    for (const auto& kv : magnifier)
        if (!write("MAGNIFIER", kv)) return errorBox(failure);
}

void TTintoraForm::closeQuietly()
{
    m_quiet = true;
    close();
}

void TTintoraForm::saveAfterDisplayLoss()
{
    if (m_closed) return;
    m_closed = true;
    m_quiet = true;
    SaveSettings(settingsFilePathFor(m_state.ProgramDir));
}

void TTintoraForm::FormClose()
{
    if (m_closed) return;
    m_closed = true;
    Timer1->stop();
    SaveSettings(settingsFilePathFor(m_state.ProgramDir));
    m_platform.pointer->setSpeed(m_state.SavedMouseSpeed);
    // The axis locks end with the program, whatever keys are still down.
    m_platform.pointer->release();
    clipCurX = clipCurY = false;
    // A colour copied last stays pasteable after the program has gone.
    m_platform.clipboard->keepAfterExit();
}

void TTintoraForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    QApplication::quit();
}

void TTintoraForm::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    WMMove();
}

void TTintoraForm::WMMove()
{
    // The magnifier stands on this window, left edges aligned.
    if (m_state.Form3 && m_state.Form3->isVisible()) m_state.Form3->move(x(), y() - TForm3::ClientHeight);
}

void TTintoraForm::moveWindow(Point proposed)
{
    const Point centre{x() + ClientWidth / 2, y() + ClientHeight / 2};
    const Point p = snapToWorkArea(proposed, ClientWidth, ClientHeight, m_platform.screen->workAreaAt(centre));
    move(p.x, p.y);
}

void TTintoraForm::FormMouseDown(QMouseEvent* event)
{
    m_dragOffset = event->globalPosition().toPoint() - pos();
}

void TTintoraForm::mousePressEvent(QMouseEvent* event)
{
    // Presses on labels, the swatch, the strip and the background arrive
    // here; buttons and the separator keep theirs.
    FormMouseDown(event);
    event->accept();
}

void TTintoraForm::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragOffset) return;
    const QPoint target = event->globalPosition().toPoint() - *m_dragOffset;
    if (target != pos()) moveWindow({target.x(), target.y()});
}

void TTintoraForm::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton) m_dragOffset.reset();
}

void TTintoraForm::ApplicationEvents1Activate() { setF1Colour(F1Active); }

void TTintoraForm::ApplicationEvents1Deactivate()
{
    setF1Colour(F1Inactive);
    liftPointerAids();
}

void TTintoraForm::liftPointerAids()
{
    // Keys released in another program never reach us: a user who switches
    // away with Alt, Shift or Ctrl down must not be left with a pointer stuck
    // on a line or at the inverted speed.
    if (clipCurX || clipCurY) {
        m_platform.pointer->release();
        clipCurX = clipCurY = false;
    }
    m_state.AltHeld = m_state.CtrlHeld = false;
    if (m_platform.pointer->speed() != configuredSpeed(m_state)) m_platform.pointer->setSpeed(configuredSpeed(m_state));
}

void TTintoraForm::FormKeyDown(const KeyChord& key)
{
    Pointer& pointer = *m_platform.pointer;
    m_state.AltHeld = key.alt;
    m_state.CtrlHeld = key.ctrl;
    if (key.alt && !clipCurX) {
        po = pointer.position().value_or(po);
        pointer.confine(rowThrough(po, m_platform.screen->virtualDesktop()));
        clipCurX = true;
    }
    if (key.shift && !clipCurY) {
        po = pointer.position().value_or(po);
        pointer.confine(columnThrough(po, m_platform.screen->virtualDesktop()));
        clipCurY = true;
    }
    if (key.ctrl) pointer.setSpeed(invertedSpeed(m_state));
    // Zoom steps: exactly Ctrl with the plus or minus key of the main keyboard.
    if (key.ctrl && !key.alt && !key.shift && (key.key == keys::Plus || key.key == keys::Minus)) {
        m_state.Zoom = key.key == keys::Plus ? zoomStepUp(m_state.Zoom) : zoomStepDown(m_state.Zoom);
        ZoomCheckedInPopUp();
    }
}

void TTintoraForm::ZoomCheckedInPopUp()
{
    const auto checked = checkedZoomItem(m_state.Zoom);
    const auto& items = m_state.Form3->zoomItems;
    for (std::size_t i = 0; i < items.size(); ++i) items[i]->setChecked(checked && *checked == i);
    SetMouseSens();
}

void TTintoraForm::FormKeyUp(const KeyChord& key)
{
    Pointer& pointer = *m_platform.pointer;
    if (!key.alt) clipCurX = false;
    if (!key.shift) clipCurY = false;
    if (!key.alt && !key.shift) pointer.release();
    if (!key.ctrl) pointer.setSpeed(configuredSpeed(m_state));
    m_state.AltHeld = key.alt;
    m_state.CtrlHeld = key.ctrl;
}

void TTintoraForm::SetMouseSens() { tintora::SetMouseSens(m_state, *m_platform.pointer); }

void TTintoraForm::Magnifier()
{
    TForm3* magnifier = m_state.Form3;
    if (magnifier->isVisible()) {
        sSpeedButton2->setImageIndex(ImageMagnifierHidden);
        magnifier->hide();
    } else {
        sSpeedButton2->setImageIndex(ImageMagnifierShown);
        magnifier->move(x(), y() - TForm3::ClientHeight);
        magnifier->show();
        activateWindow();
        setFocus();
    }
    SetMouseSens();
}

void TTintoraForm::ПомощьExecute() { m_state.Form2->toggle(); }

void TTintoraForm::sSpeedButton5Click() { m_state.Form2->showHelp(); }

void TTintoraForm::ЗакрытьExecute()
{
    if (m_state.Form3->isVisible())
        Magnifier();
    else
        close();
}

void TTintoraForm::ЗакрытьВсёExecute() { close(); }

void TTintoraForm::sSpeedButton4Click() { close(); }

void TTintoraForm::sSpeedButton6Click() { m_state.Form4->ShowModal(); }

void TTintoraForm::ЛупаExecute() { Magnifier(); }

void TTintoraForm::HexРежимExecute()
{
    if (sSpeedButton3->ImageIndex() == ImageHexOff) {
        sSpeedButton3->setImageIndex(ImageHexOn);
        sSpeedButton7->setImageIndex(ImageDecOff);
        m_state.DecMode = false;
        m_state.HexMode = true;
    } else {
        sSpeedButton3->setImageIndex(ImageHexOff);
        m_state.HexMode = false;
    }
}

void TTintoraForm::DecРежимExecute()
{
    if (sSpeedButton7->ImageIndex() == ImageDecOff) {
        sSpeedButton7->setImageIndex(ImageDecOn);
        sSpeedButton3->setImageIndex(ImageHexOff);
        m_state.HexMode = false;
        m_state.DecMode = true;
    } else {
        sSpeedButton7->setImageIndex(ImageDecOff);
        m_state.DecMode = false;
    }
}

void TTintoraForm::ВсегдаНаверхуExecute()
{
    const bool on = sSpeedButton1->ImageIndex() == ImagePinOff;
    sSpeedButton1->setImageIndex(on ? ImagePinOn : ImagePinOff);
    m_state.Form3->onTop.set(m_state.Form3, *m_platform.windows, on);
    onTop.set(this, *m_platform.windows, on);
}

void TTintoraForm::ЦветExecute()
{
    if (Timer1->isActive()) {
        Timer1->stop();
        sPanel1->mouseDownMovesWindow = false;
    } else {
        Timer1->start(); // a fresh interval: the first tick comes 50 ms later
        sPanel1->mouseDownMovesWindow = true;
    }
}

void TTintoraForm::sPanel1Click()
{
    if (probing()) return;
    const Rgb c = m_state.AltHeld || m_state.CtrlHeld ? m_state.LutColor : m_state.BitmapColor;
    sColorSelect1->setColorValue(c.R + 256u * c.G + 65536u * c.B);
    // Alt's and Shift's line and Ctrl's speed end here: the key releases
    // that would end them go to the dialog.
    if (clipCurX || clipCurY) m_platform.pointer->release();
    clipCurX = clipCurY = false;
    if (m_platform.pointer->speed() != configuredSpeed(m_state)) m_platform.pointer->setSpeed(configuredSpeed(m_state));
    sColorSelect1->Click();
    // However the dialog closed, probing resumes.
    ЦветExecute();
}

void TTintoraForm::КопироватьBitmapExecute() { copyToClipboard(m_state.BitmapColor); }

void TTintoraForm::КопироватьLUTExecute() { copyToClipboard(m_state.LutColor); }

void TTintoraForm::copyToClipboard(Rgb colour)
{
    const std::string failure = m_platform.clipboard->setText(hexColour(colour));
    if (!failure.empty()) errorBox("Cannot open clipboard: " + failure);
}

void TTintoraForm::Timer1Timer() { ProbeTick(); }

void TTintoraForm::ProbeTick()
{
    TForm3* magnifier = m_state.Form3;
    if (magnifier && magnifier->isVisible()) {
        sSpeedButton2->setImageIndex(ImageMagnifierShown);
        // One pointer read serves the picture, its label and the sample: a
        // round trip to the server saved twice a tick.
        const Point p = m_platform.pointer->position().value_or(Point{0, 0});
        UpdateMagnifier(p);
        magnifier->setCoordinates(p);
        sampleAt(m_state, *m_platform.screen, p);
    } else {
        sSpeedButton2->setImageIndex(ImageMagnifierHidden);
        samplePointer(m_state, *m_platform.screen, *m_platform.pointer);
    }
    ShowReadouts();
}

void TTintoraForm::UpdateMagnifier(Point p)
{
    TMagnifierImage* image = m_state.Form3->Image1;
    const int w = image->width();
    const int h = image->height();
    // The block is not clamped to the screen: what no monitor shows is black.
    // The last block is kept: most ticks, under a resting pointer, bring the
    // same pixels, and then the picture is already right and is neither
    // redrawn nor repainted. Only for blocks no larger than the picture: a
    // larger one (zoom 0.5) costs more to compare than to draw.
    const Rect block = sourceBlock(p, w, h, m_state.Zoom);
    std::swap(m_grab, m_previousGrab);
    m_platform.screen->grab(block, m_grab);
    ScreenImage& bitmap = image->bitmap;
    if (image->captured && bitmap.width == w && bitmap.height == h && block.width <= w && block.height <= h &&
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
    image->captured = true;
    image->update();
}

void TTintoraForm::ShowReadouts()
{
    const ReadoutTexts t = readoutTexts(m_state, m_setup.decimalSeparator);
    setLabelText(sLabel1, t.bitmap[0]);
    setLabelText(sLabel2, t.bitmap[1]);
    setLabelText(sLabel3, t.bitmap[2]);
    setLabelText(sLabel7, t.lut[0]);
    setLabelText(sLabel8, t.lut[1]);
    setLabelText(sLabel9, t.lut[2]);
    const std::uint32_t colour = colourValueFromRgb(m_state.BitmapColor);
    if (colour != m_swatchColour) {
        m_swatchColour = colour;
        QPalette p = sPanel1->palette();
        p.setColor(QPalette::Window, QColor(m_state.BitmapColor.R, m_state.BitmapColor.G, m_state.BitmapColor.B));
        sPanel1->setPalette(p);
    }
    setLabelText(sLabel12, t.hash);
    if (readoutsTrace) {
        std::string all = t.hash;
        for (int c = 0; c < 3; ++c) all += '|' + t.bitmap[c] + '|' + t.lut[c];
        if (all != m_lastTrace) {
            m_lastTrace = std::move(all);
            readoutsTrace(t);
        }
    }
}
