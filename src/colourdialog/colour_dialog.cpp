#include "colourdialog/colour_dialog.h"

#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>

#include "colourdialog/colour_entry.h"
#include "colourdialog/hsb.h"
#include "colourdialog/pipette_window.h"
#include "widgets/topmost_band.h"

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
      model(*this), m_platform(platform), m_owner(owner)
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
    mainPalette = new PaletteGrid(this, MainPaletteLayout);
    mainPalette->setGeometry(10, 13, 249, 142);
    mainPalette->setColours(mainPaletteColours());
    customPaletteLabel = new QLabel(this);
    customPaletteLabel->move(21, 160);
    customPalette = new PaletteGrid(this, CustomPaletteLayout);
    customPalette->setGeometry(10, 173, 249, 108);
}

void ColourDialog::createTextFields()
{
    decimalField = new DecimalEdit(this);
    decimalField->setGeometry(81, 288, 66, EditHeight);
    decimalLabel = captionLeftOf(decimalField, 0);
    hexField = new HexEdit(this);
    hexField->setGeometry(193, 288, 58, EditHeight);
    hexLabel = captionLeftOf(hexField, decimalField->geometry().right() + 1);
}

void ColourDialog::createButtons()
{
    pipetteButton = new QToolButton(this);
    pipetteButton->setGeometry(17, 319, 72, 25);
    pipetteButton->setAutoRaise(true);
    pipetteButton->setFocusPolicy(Qt::NoFocus);
    pipetteButton->setIcon(pipette::glyph());
    pipetteButton->setIconSize(QSize(20, 20));
    defineColoursButton = new QPushButton(this);
    defineColoursButton->setGeometry(94, 319, 157, 25);
    defineColoursButton->setEnabled(false);
    helpButton = new QPushButton(this);
    helpButton->setGeometry(17, 350, 72, 25);
    helpButton->hide();
    okButton = new QPushButton(this);
    okButton->setGeometry(94, 350, 73, 25);
    okButton->setIcon(checkGlyph());
    okButton->setDefault(true);
    cancelButton = new QPushButton(this);
    cancelButton->setGeometry(172, 350, 79, 25);
    cancelButton->setIcon(crossGlyph());
}

void ColourDialog::createSurfaces()
{
    colourField = new ColourField(this, model, *m_platform.pointer);
    colourField->move(275, 13);
    brightnessScale = new BrightnessScale(this, model, *m_platform.pointer);
    brightnessScale->move(543, 13);

    swatchFrame = new QFrame(this);
    swatchFrame->setFrameShape(QFrame::Box);
    swatchFrame->setLineWidth(1);
    swatchFrame->setGeometry(275, 276, 126, 65);
    newColourSwatch = new ColourSwatch(swatchFrame);
    newColourSwatch->setGeometry(1, 1, 63, 63);
    oldColourSwatch = new ColourSwatch(swatchFrame);
    oldColourSwatch->setGeometry(64, 1, 61, 63);
    addButton = new QPushButton(this);
    addButton->setGeometry(275, 350, 126, 25);
}

void ColourDialog::createNumericFields()
{
    // Captions between the swatches and the H-S-B fields, and between the
    // unit labels and the R-G-B fields.
    const int hsbCaptions = swatchFrame->geometry().right() + 1;
    constexpr int RgbCaptions = 473;
    hueField = createNumericField(430, 276, 359, hsbCaptions, hueLabel);
    saturationField = createNumericField(430, 303, 100, hsbCaptions, saturationLabel);
    brightnessField = createNumericField(430, 330, 100, hsbCaptions, brightnessLabel);
    redField = createNumericField(533, 276, 255, RgbCaptions, redLabel);
    greenField = createNumericField(533, 303, 255, RgbCaptions, greenLabel);
    blueField = createNumericField(533, 330, 255, RgbCaptions, blueLabel);
    hueUnitLabel = unitLabel(QStringLiteral("o"), 465, 274);
    saturationUnitLabel = unitLabel(QStringLiteral("%"), 465, 306);
    brightnessUnitLabel = unitLabel(QStringLiteral("%"), 465, 333);
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
        {customPaletteLabel, "Дополнительный набор цветов :"},
        {hexLabel, "Hex - "},
        {hueLabel, "H:"},
        {saturationLabel, "S:"},
        {brightnessLabel, "B:"},
        {decimalLabel, "Десятичное - "},
        {redLabel, "Красный :"},
        {greenLabel, "Зеленый :"},
        {blueLabel, "Синий :"},
        {okButton, "OK"},
        {cancelButton, "Отмена"},
        {addButton, "Добавить в свой набор"},
        {defineColoursButton, "Определить цвета"},
        {helpButton, "&Помощь"},
    };
    for (const auto& caption : captions) {
        const QString text = QString::fromUtf8(caption.text);
        if (auto* label = qobject_cast<QLabel*>(caption.widget))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(caption.widget))
            button->setText(text);
    }
    customPaletteLabel->adjustSize();
}

void ColourDialog::arrangeTabOrder()
{
    // Hex, decimal, H, S, B, R, G, B, (help), OK, Cancel, add, (define), the
    // palettes, the field and the scale.
    QWidget* order[] = {hexField,    decimalField,  hueField,    saturationField, brightnessField, redField,
                        greenField,  blueField,     helpButton,  okButton,        cancelButton,    addButton,
                        defineColoursButton, mainPalette, customPalette, colourField, brightnessScale};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void ColourDialog::connectSignals()
{
    for (PaletteGrid* palette : {mainPalette, customPalette}) {
        connect(palette, &PaletteGrid::selectionChanged, this, [this, palette] { takePaletteColour(palette); });
        connect(palette, &PaletteGrid::doubleClicked, this, &ColourDialog::accept);
    }
    connect(hexField, &QLineEdit::textChanged, this, &ColourDialog::applyHexField);
    connect(decimalField, &QLineEdit::textChanged, this, &ColourDialog::applyDecimalField);
    for (TrackEdit* f : {redField, greenField, blueField})
        connect(f, &TrackEdit::changed, this, &ColourDialog::applyRgbFields);
    for (TrackEdit* f : {hueField, saturationField, brightnessField})
        connect(f, &TrackEdit::changed, this, &ColourDialog::applyHsbFields);
    connect(okButton, &QPushButton::clicked, this, &ColourDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &ColourDialog::reject);
    connect(addButton, &QPushButton::clicked, this, &ColourDialog::addToCustomColours);
    connect(pipetteButton, &QToolButton::clicked, this, &ColourDialog::pickWithPipette);
}

void ColourDialog::prepare(ColourValue colour, ColourStrings* customColours, ColourStrings* session)
{
    m_customColours = customColours;
    m_session = session;
    openingColour = colour;
    model.presetColour(colour);
    newColourSwatch->setColour(colour);
    oldColourSwatch->setColour(colour);
    customPalette->setColours(customColoursAtOpening(customColours ? *customColours : ColourStrings{},
                                                     session ? *session : ColourStrings{}));
    centreOnOwnersMonitor();
}

void ColourDialog::centreOnOwnersMonitor()
{
    // Centred in the work area of the monitor the owner is on.
    const Rect area = m_owner ? m_platform.screen->workAreaAt({m_owner->x() + m_owner->width() / 2,
                                                               m_owner->y() + m_owner->height() / 2})
                              : m_platform.screen->primaryWorkArea();
    move(area.x + (area.width - ClientWidth) / 2, area.y + (area.height - ClientHeight) / 2);
}

void ColourDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || m_shown) return;
    m_shown = true;
    putInTopmostBandWhenShown(this, *m_platform.windows);
    model.open(openingColour);
    okButton->setFocus(Qt::OtherFocusReason);
}

bool ColourDialog::anySliderOpen() const
{
    for (const TrackEdit* f : {hueField, saturationField, brightnessField, redField, greenField, blueField})
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
    if (m_customColours && !m_customColours->empty()) *m_customColours = customPalette->colours();
    if (m_session) *m_session = customPalette->colours();
}

void ColourDialog::takePaletteColour(PaletteGrid* palette)
{
    const int i = palette->selectedIndex();
    if (i < 0) return;
    // An empty custom cell is only the target of the add button.
    if (palette == customPalette && palette->colours()[static_cast<std::size_t>(i)] == EmptyCell) return;
    model.setCurrentColour(palette->colourAt(i));
    colourField->update();
}

void ColourDialog::clearStalePaletteSelection()
{
    const auto stale = [this](const PaletteGrid* palette) {
        return palette->selectedIndex() >= 0 && palette->colourAt(palette->selectedIndex()) != model.currentColour();
    };
    if (stale(mainPalette)) mainPalette->setSelectedIndex(-1);
    if (stale(customPalette)) {
        // The cell whose colour was edited is the one the add button fills next.
        nextCustomSlot = customPalette->selectedIndex();
        customPalette->setSelectedIndex(-1);
    }
}

void ColourDialog::applyTypedColour(ColourValue colour, TypedField from)
{
    if (!model.takeTypedColour(colour, from)) return;
    mainPalette->setSelectedIndex(-1);
    colourField->update();
}

void ColourDialog::applyHexField() { applyTypedColour(hexField->colour(), TypedField::Hex); }

void ColourDialog::applyDecimalField() { applyTypedColour(decimalField->colour(), TypedField::Decimal); }

void ColourDialog::applyRgbFields()
{
    applyTypedColour(
        colourValueFromLevels(redField->roundedValue(), greenField->roundedValue(), blueField->roundedValue()),
        TypedField::Rgb);
}

void ColourDialog::applyHsbFields()
{
    applyTypedColour(
        hsbToRgb(hueField->roundedValue(), saturationField->value() / 100, brightnessField->value() / 100),
        TypedField::Hsb);
}

void ColourDialog::addToCustomColours()
{
    ColourStrings colours = customPalette->colours();
    const int selected = customPalette->selectedIndex();
    // The colour the hexadecimal field stands for, in its canonical form.
    addColour(colours, selected >= 0 ? std::optional<int>(selected) : std::nullopt, nextCustomSlot,
              customPalette->cellLayout.cellCount(), hexFieldText(model.currentColour()));
    customPalette->setColours(std::move(colours));
}

Rect ColourDialog::monitorOfDialog() const
{
    // The one holding the dialog's centre, else the first monitor, else the
    // whole desktop.
    const QRect frame = frameGeometry();
    const Point centre{frame.center().x(), frame.center().y()};
    const std::vector<Rect> monitors = m_platform.screen->monitors();
    for (const Rect& m : monitors)
        if (m.contains(centre)) return m;
    return monitors.empty() ? m_platform.screen->virtualDesktop() : monitors.front();
}

void ColourDialog::pickWithPipette()
{
    const Rect monitor = monitorOfDialog();
    ScreenImage image;
    m_platform.screen->grab(monitor, image);
    const QRect swatch(newColourSwatch->mapToGlobal(QPoint(0, 0)), newColourSwatch->size());
    std::optional<ColourValue> picked;
    {
        PipetteWindow pipetteWindow(m_platform, std::move(image),
                                    QRect(monitor.x, monitor.y, monitor.width, monitor.height), swatch,
                                    model.currentColour());
        picked = pipetteWindow.pick();
    }
    activateWindow();
    if (!picked) return;
    model.setCurrentColour(*picked);
    colourField->update();
}

void ColourDialog::setHue(double value) { hueField->setValue(value); }
void ColourDialog::setSaturation(double value) { saturationField->setValue(value); }
void ColourDialog::setBrightness(double value) { brightnessField->setValue(value); }
void ColourDialog::setRed(int value) { redField->setValue(value); }
void ColourDialog::setGreen(int value) { greenField->setValue(value); }
void ColourDialog::setBlue(int value) { blueField->setValue(value); }
void ColourDialog::setDecimalText(const std::string& text) { decimalField->setText(QString::fromStdString(text)); }
void ColourDialog::setHexText(const std::string& text) { hexField->setText(QString::fromStdString(text)); }
void ColourDialog::currentColourChanged(ColourValue colour) { newColourSwatch->setColour(colour); }
