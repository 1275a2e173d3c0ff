#include "colourdialog/color_dialog_form.h"

#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>

#include "colourdialog/colour_entry.h"
#include "colourdialog/pipette.h"
#include "widgets/topmost_band.h"

using namespace tintora;

namespace {

// Height of the one-line fields.
constexpr int EditHeight = 21;
// Gap between a caption and its field.
constexpr int CaptionGap = 2;

// The window's texts (the program's Russian string table).
namespace text {
constexpr const char* Caption = "Цвет";
constexpr const char* AdditionalColours = "Дополнительный набор цветов :";
constexpr const char* Hex = "Hex - ";
constexpr const char* Decimal = "Десятичное - ";
constexpr const char* Red = "Красный :";
constexpr const char* Green = "Зеленый :";
constexpr const char* Blue = "Синий :";
constexpr const char* Ok = "OK";
constexpr const char* Cancel = "Отмена";
constexpr const char* Add = "Добавить в свой набор";
constexpr const char* Define = "Определить цвета";
constexpr const char* Help = "&Помощь";
} // namespace text

QString tr8(const char* s) { return QString::fromUtf8(s); }

QPixmap checkGlyph()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath path;
    path.moveTo(3, 8.5);
    path.lineTo(6.5, 12);
    path.lineTo(13, 4);
    p.drawPath(path);
    return pm;
}

QPixmap crossGlyph()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(192, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
    return pm;
}

} // namespace

void TColourSwatch::setColour(ColourValue colour)
{
    if (colour == m_colour) return;
    m_colour = colour;
    update();
}

void TColourSwatch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(m_colour & 0xFF, (m_colour >> 8) & 0xFF, (m_colour >> 16) & 0xFF));
}

TsColorDialogForm::TsColorDialogForm(Platform& platform, QWidget* owner)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      model(*this), m_platform(platform), m_owner(owner)
{
    setFixedSize(ClientWidth, ClientHeight);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif); // the system sans-serif where Tahoma is missing
    setFont(font);

    MainPal = new TsColorsPanel(this, MainPaletteLayout);
    MainPal->setGeometry(10, 13, 249, 142);
    MainPal->setItems(mainPaletteColours());
    sLabel2 = new QLabel(this);
    sLabel2->move(21, 160);
    AddPal = new TsColorsPanel(this, AdditionalPaletteLayout);
    AddPal->setGeometry(10, 173, 249, 108);

    sEditDecimal = new TDecimalEdit(this);
    sEditDecimal->setGeometry(81, 288, 66, EditHeight);
    sEditDecimalLabel = captionLeftOf(sEditDecimal, 0);
    sEditHex = new THexEdit(this);
    sEditHex->setGeometry(193, 288, 58, EditHeight);
    sEditHexLabel = captionLeftOf(sEditHex, sEditDecimal->geometry().right() + 1);

    sSpeedButton1 = new QToolButton(this);
    sSpeedButton1->setGeometry(17, 319, 72, 25);
    sSpeedButton1->setAutoRaise(true);
    sSpeedButton1->setFocusPolicy(Qt::NoFocus);
    sSpeedButton1->setIcon(pipette::glyph());
    sSpeedButton1->setIconSize(QSize(20, 20));
    sBitBtn4 = new QPushButton(this);
    sBitBtn4->setGeometry(94, 319, 157, 25);
    sBitBtn5 = new QPushButton(this);
    sBitBtn5->setGeometry(17, 350, 72, 25);
    sBitBtn1 = new QPushButton(this);
    sBitBtn1->setGeometry(94, 350, 73, 25);
    sBitBtn1->setIcon(checkGlyph());
    sBitBtn1->setDefault(true);
    sBitBtn2 = new QPushButton(this);
    sBitBtn2->setGeometry(172, 350, 79, 25);
    sBitBtn2->setIcon(crossGlyph());

    ColorPanel = new TColourField(this, model, *m_platform.pointer);
    ColorPanel->move(275, 13);
    GradPanel = new TBrightnessScale(this, model, *m_platform.pointer);
    GradPanel->move(543, 13);

    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(275, 276, 126, 65);
    SelectedPanel = new TColourSwatch(Panel1);
    SelectedPanel->setGeometry(1, 1, 63, 63);
    OldPanel = new TColourSwatch(Panel1);
    OldPanel->setGeometry(64, 1, 61, 63);
    sBitBtn3 = new QPushButton(this);
    sBitBtn3->setGeometry(275, 350, 126, 25);

    // Captions between the swatches and the H-S-B fields, and between the
    // unit labels and the R-G-B fields.
    const int hsbCaptions = Panel1->geometry().right() + 1;
    constexpr int RgbCaptions = 473;
    sHEdit = numericField(430, 276, 359, hsbCaptions, sHEditLabel);
    sSEdit = numericField(430, 303, 100, hsbCaptions, sSEditLabel);
    sVEdit = numericField(430, 330, 100, hsbCaptions, sVEditLabel);
    sREdit = numericField(533, 276, 255, RgbCaptions, sREditLabel);
    sGEdit = numericField(533, 303, 255, RgbCaptions, sGEditLabel);
    sBEdit = numericField(533, 330, 255, RgbCaptions, sBEditLabel);
    auto unit = [this](const char* s, int left, int top) {
        auto* label = new QLabel(tr8(s), this);
        label->move(left, top);
        label->adjustSize();
        return label;
    };
    sHUnitLabel = unit("o", 465, 274);
    sSUnitLabel = unit("%", 465, 306);
    sVUnitLabel = unit("%", 465, 333);

    // Tab order: hex, decimal, H, S, B, R, G, B, (Help), OK, Cancel, add,
    // (define), the palettes, the field and the scale.
    QWidget* order[] = {sEditHex, sEditDecimal, sHEdit, sSEdit,  sVEdit,   sREdit,  sGEdit,     sBEdit,    sBitBtn5,
                        sBitBtn1, sBitBtn2,     sBitBtn3, sBitBtn4, MainPal, AddPal, ColorPanel, GradPanel};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(MainPal, &TsColorsPanel::change, this, [this] { MainPalChange(MainPal); });
    connect(AddPal, &TsColorsPanel::change, this, [this] { MainPalChange(AddPal); });
    connect(MainPal, &TsColorsPanel::doubleClicked, this, &TsColorDialogForm::sBitBtn1Click);
    connect(AddPal, &TsColorsPanel::doubleClicked, this, &TsColorDialogForm::sBitBtn1Click);
    connect(sEditHex, &QLineEdit::textChanged, this, &TsColorDialogForm::sEditHexChange);
    connect(sEditDecimal, &QLineEdit::textChanged, this, &TsColorDialogForm::sEditDecimalChange);
    for (TsTrackEdit* f : {sREdit, sGEdit, sBEdit}) connect(f, &TsTrackEdit::changed, this, &TsColorDialogForm::sREditChange);
    for (TsTrackEdit* f : {sHEdit, sSEdit, sVEdit}) connect(f, &TsTrackEdit::changed, this, &TsColorDialogForm::sHEditChange);
    connect(sBitBtn1, &QPushButton::clicked, this, &TsColorDialogForm::sBitBtn1Click);
    connect(sBitBtn2, &QPushButton::clicked, this, &TsColorDialogForm::sBitBtn2Click);
    connect(sBitBtn3, &QPushButton::clicked, this, &TsColorDialogForm::sBitBtn3Click);
    connect(sSpeedButton1, &QToolButton::clicked, this, &TsColorDialogForm::sSpeedButton1Click);
}

TsColorDialogForm::~TsColorDialogForm()
{
    // The controls go first, while the model they show is still there.
    // One at a time: some take siblings of theirs with them.
    while (auto* child = findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) delete child;
}

TsTrackEdit* TsColorDialogForm::numericField(int left, int top, double max, int captionLeft, QLabel*& label)
{
    auto* field = new TsTrackEdit(this, 0, max);
    field->setGeometry(left, top, 30, EditHeight);
    label = captionLeftOf(field, captionLeft);
    return field;
}

QLabel* TsColorDialogForm::captionLeftOf(QWidget* field, int left)
{
    // Right-aligned against the field, as wide as the space before it.
    auto* label = new QLabel(this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(field);
    label->setGeometry(left, field->y(), field->x() - CaptionGap - left, field->height());
    return label;
}

void TsColorDialogForm::InitControls(ColourValue color, ColourStrings* customColors, ColourStrings* session)
{
    m_customColors = customColors;
    m_session = session;
    setWindowTitle(tr8(text::Caption));
    sLabel2->setText(tr8(text::AdditionalColours));
    sLabel2->adjustSize();
    sEditHexLabel->setText(tr8(text::Hex));
    sHEditLabel->setText(QStringLiteral("H:"));
    sSEditLabel->setText(QStringLiteral("S:"));
    sVEditLabel->setText(QStringLiteral("B:"));
    sEditDecimalLabel->setText(tr8(text::Decimal));
    sREditLabel->setText(tr8(text::Red));
    sGEditLabel->setText(tr8(text::Green));
    sBEditLabel->setText(tr8(text::Blue));
    sBitBtn1->setText(tr8(text::Ok));
    sBitBtn2->setText(tr8(text::Cancel));
    sBitBtn3->setText(tr8(text::Add));
    sBitBtn4->setText(tr8(text::Define));
    sBitBtn5->setText(tr8(text::Help));

    model.MarkerRow = -1;
    sBitBtn4->setEnabled(false); // the dialog always opens in full
    sBitBtn5->hide();            // no help
    Color = color;
    model.sColor = color;
    SelectedPanel->setColour(color);
    OldPanel->setColour(color);
    AddPal->setItems(additionalColoursAtOpening(customColors ? *customColors : ColourStrings{},
                                                session ? *session : ColourStrings{}));

    // Centred in the work area of the monitor the owner is on.
    const Rect area = m_owner ? m_platform.screen->workAreaAt({m_owner->x() + m_owner->width() / 2,
                                                               m_owner->y() + m_owner->height() / 2})
                              : m_platform.screen->primaryWorkArea();
    move(area.x + (area.width - ClientWidth) / 2, area.y + (area.height - ClientHeight) / 2);
}

void TsColorDialogForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || m_shown) return;
    m_shown = true;
    FormShow();
}

void TsColorDialogForm::FormShow()
{
    putInTopmostBandWhenShown(this, *m_platform.windows);
    model.Show(Color);
    sBitBtn1->setFocus(Qt::OtherFocusReason);
}

bool TsColorDialogForm::sliderOpen() const
{
    for (const TsTrackEdit* f : {sHEdit, sSEdit, sVEdit, sREdit, sGEdit, sBEdit})
        if (f->sliderOpen()) return true;
    return false;
}

void TsColorDialogForm::done(int result)
{
    if (sliderOpen()) return; // FormCloseQuery: not while a slider is open
    FormClose();
    QDialog::done(result);
}

void TsColorDialogForm::FormClose()
{
    if (m_customColors && !m_customColors->empty()) *m_customColors = AddPal->Items();
    if (m_session) *m_session = AddPal->Items();
}

void TsColorDialogForm::sBitBtn1Click() { accept(); }

void TsColorDialogForm::sBitBtn2Click() { reject(); }

void TsColorDialogForm::MainPalChange(TsColorsPanel* palette)
{
    const int i = palette->ItemIndex();
    if (i < 0) return;
    // An empty additional cell is only the target of the add button.
    if (palette == AddPal && palette->Items()[static_cast<std::size_t>(i)] == EmptyCell) return;
    model.SetCurrentColor(palette->colourAt(i));
    ColorPanel->update();
}

void TsColorDialogForm::ExitPanels()
{
    if (MainPal->ItemIndex() >= 0 && MainPal->colourAt(MainPal->ItemIndex()) != model.sColor) MainPal->setItemIndex(-1);
    if (AddPal->ItemIndex() >= 0 && AddPal->colourAt(AddPal->ItemIndex()) != model.sColor) {
        NextAddSlot = AddPal->ItemIndex();
        AddPal->setItemIndex(-1);
    }
}

void TsColorDialogForm::SetColorFromEdit(ColourValue colour, bool EditGuards::*guard)
{
    if (model.Updating) return; // the dialog's own writing
    model.EditGuard.*guard = true;
    model.SetCurrentColor(colour);
    MainPal->setItemIndex(-1);
    ColorPanel->update();
    model.EditGuard.*guard = false;
}

void TsColorDialogForm::sEditHexChange() { SetColorFromEdit(sEditHex->colour(), &EditGuards::Hex); }

void TsColorDialogForm::sEditDecimalChange() { SetColorFromEdit(sEditDecimal->colour(), &EditGuards::Decimal); }

void TsColorDialogForm::sREditChange()
{
    SetColorFromEdit(colourValue(sREdit->IntValue(), sGEdit->IntValue(), sBEdit->IntValue()), &EditGuards::Rgb);
}

void TsColorDialogForm::sHEditChange()
{
    SetColorFromEdit(hsbToRgb(sHEdit->IntValue(), sSEdit->Value() / 100, sVEdit->Value() / 100), &EditGuards::Hsb);
}

void TsColorDialogForm::sBitBtn3Click()
{
    ColourStrings items = AddPal->Items();
    const int selected = AddPal->ItemIndex();
    // The colour the hexadecimal field stands for, in its canonical form.
    addColour(items, selected >= 0 ? std::optional<int>(selected) : std::nullopt, NextAddSlot,
              AddPal->Layout.cellCount(), hexText(model.sColor));
    AddPal->setItems(std::move(items));
}

void TsColorDialogForm::sSpeedButton1Click()
{
    // The monitor the dialog is on: the one holding its centre, else the
    // first one that overlaps it, else the primary.
    const QRect frame = frameGeometry();
    const Point centre{frame.center().x(), frame.center().y()};
    const std::vector<Rect> monitors = m_platform.screen->monitors();
    Rect monitor = monitors.empty() ? m_platform.screen->virtualDesktop() : monitors.front();
    for (const Rect& m : monitors)
        if (m.contains(centre)) {
            monitor = m;
            break;
        }
    ScreenImage image;
    m_platform.screen->grab(monitor, image);
    const QRect swatch(SelectedPanel->mapToGlobal(QPoint(0, 0)), SelectedPanel->size());
    std::optional<ColourValue> picked;
    {
        TPickForm pickForm(m_platform, std::move(image), QRect(monitor.x, monitor.y, monitor.width, monitor.height),
                           swatch, model.sColor);
        picked = pickForm.pick();
    }
    activateWindow();
    if (!picked) return;
    model.SetCurrentColor(*picked);
    ColorPanel->update();
}

void TsColorDialogForm::setHue(double value) { sHEdit->setValue(value); }
void TsColorDialogForm::setSaturation(double value) { sSEdit->setValue(value); }
void TsColorDialogForm::setBrightness(double value) { sVEdit->setValue(value); }
void TsColorDialogForm::setRed(int value) { sREdit->setValue(value); }
void TsColorDialogForm::setGreen(int value) { sGEdit->setValue(value); }
void TsColorDialogForm::setBlue(int value) { sBEdit->setValue(value); }
void TsColorDialogForm::setDecimalText(const std::string& text) { sEditDecimal->setText(QString::fromStdString(text)); }
void TsColorDialogForm::setHexText(const std::string& text) { sEditHex->setText(QString::fromStdString(text)); }
void TsColorDialogForm::selectedColorChanged(ColourValue colour) { SelectedPanel->setColour(colour); }
