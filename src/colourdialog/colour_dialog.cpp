#include "colourdialog/colour_dialog.h"

#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>

#include "colourdialog/colour_entry.h"
#include "colourdialog/hsb.h"
#include "colourdialog/pipette_window.h"
#include "widgets/window_placement.h"

using namespace tintora;

namespace {

// Height of the one-line fields.
constexpr int EditHeight = 21;
// Gap between a caption and its field.
constexpr int CaptionGap = 2;

QFont dialogFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif); // the system sans-serif where Tahoma is missing
    return font;
}

// A 16 x 16 button glyph drawn by draw with a round pen of colour.
template <typename Draw>
QPixmap buttonGlyph(const QColor& colour, Draw draw)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    draw(p);
    return pm;
}

QPixmap checkGlyph()
{
    return buttonGlyph(QColor(0, 128, 0), [](QPainter& p) {
        QPainterPath path;
        path.moveTo(3, 8.5);
        path.lineTo(6.5, 12);
        path.lineTo(13, 4);
        p.drawPath(path);
    });
}

QPixmap crossGlyph()
{
    return buttonGlyph(QColor(192, 0, 0), [](QPainter& p) {
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
}

} // namespace

ColourDialog::ColourDialog(Platform& platform, QWidget* owner)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_platform(platform), m_owner(owner), m_model(*this)
{
    setFixedSize(ClientWidth, ClientHeight);
    setFont(dialogFont());
    createPalettes();
    createTextFields();
    createButtons();
    createSurfaces();
    createNumericFields();
    setCaptions();
    arrangeTabOrder();
    connectSignals();
}

ColourDialog::~ColourDialog()
{
    // The controls go first, while the model they show is still there.
    // One at a time: some take siblings of theirs with them.
    while (auto* child = findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) delete child;
}

void ColourDialog::createPalettes()
{
    m_ui.mainPalette = new PaletteGrid(this, MainPaletteLayout);
    m_ui.mainPalette->setGeometry(10, 13, 249, 142);
    m_ui.mainPalette->setColours(mainPaletteColours());
    m_ui.customPaletteLabel = new QLabel(this);
    m_ui.customPaletteLabel->move(21, 160);
    m_ui.customPalette = new PaletteGrid(this, CustomPaletteLayout);
    m_ui.customPalette->setGeometry(10, 173, 249, 108);
}

void ColourDialog::createTextFields()
{
    m_ui.decimalField = new DecimalEdit(this);
    m_ui.decimalField->setGeometry(81, 288, 66, EditHeight);
    m_ui.decimalLabel = captionLeftOf(m_ui.decimalField, 0);
    m_ui.hexField = new HexEdit(this);
    m_ui.hexField->setGeometry(193, 288, 58, EditHeight);
    m_ui.hexLabel = captionLeftOf(m_ui.hexField, m_ui.decimalField->geometry().right() + 1);
}

void ColourDialog::createButtons()
{
    m_ui.pipetteButton = new QToolButton(this);
    m_ui.pipetteButton->setGeometry(17, 319, 72, 25);
    m_ui.pipetteButton->setAutoRaise(true);
    m_ui.pipetteButton->setFocusPolicy(Qt::NoFocus);
    m_ui.pipetteButton->setIcon(pipette::glyph());
    m_ui.pipetteButton->setIconSize(QSize(20, 20));
    m_ui.defineColoursButton = new QPushButton(this);
    m_ui.defineColoursButton->setGeometry(94, 319, 157, 25);
    m_ui.defineColoursButton->setEnabled(false);
    m_ui.helpButton = new QPushButton(this);
    m_ui.helpButton->setGeometry(17, 350, 72, 25);
    m_ui.helpButton->hide();
    m_ui.okButton = new QPushButton(this);
    m_ui.okButton->setGeometry(94, 350, 73, 25);
    m_ui.okButton->setIcon(checkGlyph());
    m_ui.okButton->setDefault(true);
    m_ui.cancelButton = new QPushButton(this);
    m_ui.cancelButton->setGeometry(172, 350, 79, 25);
    m_ui.cancelButton->setIcon(crossGlyph());
}

void ColourDialog::createSurfaces()
{
    m_ui.colourField = new ColourField(this, m_model, *m_platform.pointer);
    m_ui.colourField->move(275, 13);
    m_ui.brightnessScale = new BrightnessScale(this, m_model, *m_platform.pointer);
    m_ui.brightnessScale->move(543, 13);

    m_ui.swatchFrame = new QFrame(this);
    m_ui.swatchFrame->setFrameShape(QFrame::Box);
    m_ui.swatchFrame->setLineWidth(1);
    m_ui.swatchFrame->setGeometry(275, 276, 126, 65);
    m_ui.newColourSwatch = new ColourSwatch(m_ui.swatchFrame);
    m_ui.newColourSwatch->setGeometry(1, 1, 63, 63);
    m_ui.oldColourSwatch = new ColourSwatch(m_ui.swatchFrame);
    m_ui.oldColourSwatch->setGeometry(64, 1, 61, 63);
    m_ui.addButton = new QPushButton(this);
    m_ui.addButton->setGeometry(275, 350, 126, 25);
}

void ColourDialog::createNumericFields()
{
    // Captions between the swatches and the H-S-B fields, and between the
    // unit labels and the R-G-B fields.
    const int hsbCaptions = m_ui.swatchFrame->geometry().right() + 1;
    constexpr int RgbCaptions = 473;
    m_ui.hueField = createNumericField(430, 276, 359, hsbCaptions, m_ui.hueLabel);
    m_ui.saturationField = createNumericField(430, 303, 100, hsbCaptions, m_ui.saturationLabel);
    m_ui.brightnessField = createNumericField(430, 330, 100, hsbCaptions, m_ui.brightnessLabel);
    m_ui.redField = createNumericField(533, 276, 255, RgbCaptions, m_ui.redLabel);
    m_ui.greenField = createNumericField(533, 303, 255, RgbCaptions, m_ui.greenLabel);
    m_ui.blueField = createNumericField(533, 330, 255, RgbCaptions, m_ui.blueLabel);
    m_ui.hueUnitLabel = unitLabel(QStringLiteral("o"), 465, 274);
    m_ui.saturationUnitLabel = unitLabel(QStringLiteral("%"), 465, 306);
    m_ui.brightnessUnitLabel = unitLabel(QStringLiteral("%"), 465, 333);
}

TrackEdit* ColourDialog::createNumericField(int left, int top, double max, int captionLeft, QLabel*& label)
{
    auto* field = new TrackEdit(this, 0, max);
    field->setGeometry(left, top, 30, EditHeight);
    label = captionLeftOf(field, captionLeft);
    return field;
}

QLabel* ColourDialog::captionLeftOf(QWidget* field, int left)
{
    // Right-aligned against the field, as wide as the space before it.
    auto* label = new QLabel(this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(field);
    label->setGeometry(left, field->y(), field->x() - CaptionGap - left, field->height());
    return label;
}

QLabel* ColourDialog::unitLabel(const QString& text, int left, int top)
{
    auto* label = new QLabel(text, this);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void ColourDialog::setCaptions()
{
    setWindowTitle(QString::fromUtf8("Цвет"));
    const struct {
        QWidget* widget;
        const char* text;
    } captions[] = {
        {m_ui.customPaletteLabel, "Дополнительный набор цветов :"},
        {m_ui.hexLabel, "Hex - "},
        {m_ui.hueLabel, "H:"},
        {m_ui.saturationLabel, "S:"},
        {m_ui.brightnessLabel, "B:"},
        {m_ui.decimalLabel, "Десятичное - "},
        {m_ui.redLabel, "Красный :"},
        {m_ui.greenLabel, "Зеленый :"},
        {m_ui.blueLabel, "Синий :"},
        {m_ui.okButton, "OK"},
        {m_ui.cancelButton, "Отмена"},
        {m_ui.addButton, "Добавить в свой набор"},
        {m_ui.defineColoursButton, "Определить цвета"},
        {m_ui.helpButton, "&Помощь"},
    };
    for (const auto& caption : captions) {
        const QString text = QString::fromUtf8(caption.text);
        if (auto* label = qobject_cast<QLabel*>(caption.widget))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(caption.widget))
            button->setText(text);
    }
    m_ui.customPaletteLabel->adjustSize();
}

void ColourDialog::arrangeTabOrder()
{
    // Hex, decimal, H, S, B, R, G, B, (help), OK, Cancel, add, (define), the
    // palettes, the field and the scale.
    QWidget* order[] = {m_ui.hexField,       m_ui.decimalField,    m_ui.hueField,          m_ui.saturationField,
                        m_ui.brightnessField, m_ui.redField,        m_ui.greenField,        m_ui.blueField,
                        m_ui.helpButton,      m_ui.okButton,        m_ui.cancelButton,      m_ui.addButton,
                        m_ui.defineColoursButton, m_ui.mainPalette, m_ui.customPalette,     m_ui.colourField,
                        m_ui.brightnessScale};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void ColourDialog::connectSignals()
{
    for (PaletteGrid* palette : {m_ui.mainPalette, m_ui.customPalette}) {
        connect(palette, &PaletteGrid::selectionChanged, this, [this, palette] { takePaletteColour(palette); });
        connect(palette, &PaletteGrid::doubleClicked, this, &ColourDialog::accept);
    }
    connect(m_ui.hexField, &QLineEdit::textChanged, this, &ColourDialog::applyHexField);
    connect(m_ui.decimalField, &QLineEdit::textChanged, this, &ColourDialog::applyDecimalField);
    for (TrackEdit* f : {m_ui.redField, m_ui.greenField, m_ui.blueField})
        connect(f, &TrackEdit::changed, this, &ColourDialog::applyRgbFields);
    for (TrackEdit* f : {m_ui.hueField, m_ui.saturationField, m_ui.brightnessField})
        connect(f, &TrackEdit::changed, this, &ColourDialog::applyHsbFields);
    connect(m_ui.okButton, &QPushButton::clicked, this, &ColourDialog::accept);
    connect(m_ui.cancelButton, &QPushButton::clicked, this, &ColourDialog::reject);
    connect(m_ui.addButton, &QPushButton::clicked, this, &ColourDialog::addToCustomColours);
    connect(m_ui.pipetteButton, &QToolButton::clicked, this, &ColourDialog::pickWithPipette);
}

void ColourDialog::prepare(ColourValue colour, ColourStrings* customColours, ColourStrings* session)
{
    m_customColours = customColours;
    m_session = session;
    m_openingColour = colour;
    m_model.presetColour(colour);
    m_ui.newColourSwatch->setColour(colour);
    m_ui.oldColourSwatch->setColour(colour);
    m_ui.customPalette->setColours(customColoursAtOpening(customColours ? *customColours : ColourStrings{},
                                                     session ? *session : ColourStrings{}));
    centreOnOwnersMonitor();
}

void ColourDialog::centreOnOwnersMonitor()
{
    // Centred in the work area of the monitor the owner is on.
    WindowPlacement(m_platform).centreInWorkAreaUnder(this, m_owner ? std::optional(m_owner->frameGeometry()) : std::nullopt);
}

void ColourDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || m_shown) return;
    m_shown = true;
    m_model.open(m_openingColour);
    m_ui.okButton->setFocus(Qt::OtherFocusReason);
}

bool ColourDialog::anySliderOpen() const
{
    for (const TrackEdit* f : {m_ui.hueField, m_ui.saturationField, m_ui.brightnessField, m_ui.redField,
                               m_ui.greenField, m_ui.blueField})
        if (f->sliderOpen()) return true;
    return false;
}

void ColourDialog::done(int result)
{
    if (anySliderOpen()) return; // no closing while a slider is open
    storeCustomColours();
    QDialog::done(result);
}

void ColourDialog::storeCustomColours()
{
    if (m_customColours && !m_customColours->empty()) *m_customColours = m_ui.customPalette->colours();
    if (m_session) *m_session = m_ui.customPalette->colours();
}

void ColourDialog::takePaletteColour(PaletteGrid* palette)
{
    const int i = palette->selectedIndex();
    if (i < 0) return;
    // An empty custom cell is only the target of the add button.
    if (palette == m_ui.customPalette && palette->colours()[static_cast<std::size_t>(i)] == EmptyCell) return;
    m_model.setCurrentColour(palette->colourAt(i));
    m_ui.colourField->update();
}

void ColourDialog::clearStalePaletteSelection()
{
    const auto stale = [this](const PaletteGrid* palette) {
        return palette->selectedIndex() >= 0 && palette->colourAt(palette->selectedIndex()) != m_model.currentColour();
    };
    if (stale(m_ui.mainPalette)) m_ui.mainPalette->setSelectedIndex(-1);
    if (stale(m_ui.customPalette)) {
        // The cell whose colour was edited is the one the add button fills next.
        m_nextCustomSlot = m_ui.customPalette->selectedIndex();
        m_ui.customPalette->setSelectedIndex(-1);
    }
}

void ColourDialog::applyTypedColour(ColourValue colour, TypedField from)
{
    if (!m_model.takeTypedColour(colour, from)) return;
    m_ui.mainPalette->setSelectedIndex(-1);
    m_ui.colourField->update();
}

void ColourDialog::applyHexField() { applyTypedColour(m_ui.hexField->colour(), TypedField::Hex); }

void ColourDialog::applyDecimalField() { applyTypedColour(m_ui.decimalField->colour(), TypedField::Decimal); }

void ColourDialog::applyRgbFields()
{
    applyTypedColour(colourValueFromLevels(m_ui.redField->roundedValue(), m_ui.greenField->roundedValue(),
                                           m_ui.blueField->roundedValue()),
                     TypedField::Rgb);
}

void ColourDialog::applyHsbFields()
{
    applyTypedColour(hsbToRgb(m_ui.hueField->roundedValue(), m_ui.saturationField->value() / 100,
                              m_ui.brightnessField->value() / 100),
                     TypedField::Hsb);
}

void ColourDialog::addToCustomColours()
{
    ColourStrings colours = m_ui.customPalette->colours();
    const int selected = m_ui.customPalette->selectedIndex();
    // The colour the hexadecimal field stands for, in its canonical form.
    addColour(colours, selected >= 0 ? std::optional<int>(selected) : std::nullopt, m_nextCustomSlot,
              m_ui.customPalette->cellLayout.cellCount(), hexFieldText(m_model.currentColour()));
    m_ui.customPalette->setColours(std::move(colours));
}

Rect ColourDialog::monitorOfDialog() const
{
    // The one holding the dialog's centre, else the first monitor, else the
    // whole desktop.
    const QRect frame = frameGeometry();
    const Point centre{frame.center().x(), frame.center().y()};
    const std::vector<Rect> monitors = m_platform.screen.monitors->monitors();
    for (const Rect& m : monitors)
        if (m.contains(centre)) return m;
    return monitors.empty() ? m_platform.screen.monitors->virtualDesktop() : monitors.front();
}

void ColourDialog::pickWithPipette()
{
    const Rect monitor = monitorOfDialog();
    ScreenImage image;
    m_platform.screen.pixels->grab(monitor, image);
    const QRect swatch(m_ui.newColourSwatch->mapToGlobal(QPoint(0, 0)), m_ui.newColourSwatch->size());
    std::optional<ColourValue> picked;
    {
        PipetteWindow pipetteWindow(std::move(image),
                                    QRect(monitor.x, monitor.y, monitor.width, monitor.height), swatch,
                                    m_model.currentColour());
        picked = pipetteWindow.pick();
    }
    activateWindow();
    if (!picked) return;
    m_model.setCurrentColour(*picked);
    m_ui.colourField->update();
}

void ColourDialog::setHue(double value) { m_ui.hueField->setValue(value); }
void ColourDialog::setSaturation(double value) { m_ui.saturationField->setValue(value); }
void ColourDialog::setBrightness(double value) { m_ui.brightnessField->setValue(value); }
void ColourDialog::setRed(int value) { m_ui.redField->setValue(value); }
void ColourDialog::setGreen(int value) { m_ui.greenField->setValue(value); }
void ColourDialog::setBlue(int value) { m_ui.blueField->setValue(value); }
void ColourDialog::setDecimalText(const std::string& text)
{
    m_ui.decimalField->setText(QString::fromStdString(text));
}
void ColourDialog::setHexText(const std::string& text) { m_ui.hexField->setText(QString::fromStdString(text)); }
void ColourDialog::currentColourChanged(ColourValue colour) { m_ui.newColourSwatch->setColour(colour); }
