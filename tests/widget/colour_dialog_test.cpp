#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <functional>

#include "colourdialog/color_dialog.h"
#include "colourdialog/color_dialog_form.h"
#include "colourdialog/colour_entry.h"
#include "colourdialog/pipette.h"
#include "main_window_fixture.h"

using namespace tintora;
using tintora::fake::rampOf;

namespace {

constexpr ColourValue Red = 0x0000FFu, Green = 0x00FF00u, Blue = 0xFF0000u, White = 0xFFFFFFu;

// Runs body once the modal loop that follows has started.
void whenModal(std::function<void()> body) { QTimer::singleShot(0, qApp, std::move(body)); }

// The program over the fake platform with the colour dialog's run-long
// state as at start.
struct DialogFixture : MainWindowFixture {
    DialogFixture()
    {
        SessionAddColors = initialAdditionalColours();
        form->probeTimer->stop();
    }
    ~DialogFixture()
    {
        form->probeTimer->stop();
        SessionAddColors = initialAdditionalColours();
    }

    // A colour-select button of its own, hidden on the main window.
    TsColorSelect* m_select = new TsColorSelect(form, fake.platform);
    TsColorSelect& select() { return *m_select; }

    // Opens the dialog through the select button on colour and runs body in
    // it; body closes it. Returns whether it was confirmed. A dialog that
    // body left open fails the test and is cancelled.
    bool open(ColourValue colour, const std::function<void(TsColorDialogForm&)>& body)
    {
        select().setColorValue(colour);
        bool confirmed = false;
        const auto c = QObject::connect(&select(), &TsColorSelect::OnChange, [&] { confirmed = true; });
        runModal([&] { select().Click(); }, body);
        QObject::disconnect(c);
        return confirmed;
    }

    // Runs start, which opens the dialog, with body inside the dialog.
    static void runModal(const std::function<void()>& start, const std::function<void(TsColorDialogForm&)>& body)
    {
        bool ran = false;
        whenModal([&] {
            auto* dialog = qobject_cast<TsColorDialogForm*>(QApplication::activeModalWidget());
            if (!dialog) {
                ADD_FAILURE() << "no colour dialog";
                return;
            }
            ran = true;
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            body(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                for (TsTrackEdit* f : {dialog->sHEdit, dialog->sSEdit, dialog->sVEdit, dialog->sREdit,
                                       dialog->sGEdit, dialog->sBEdit})
                    f->closeSlider();
                QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
            }
        });
        start();
        EXPECT_TRUE(ran);
    }
};

// Types text into a field in place of what it holds.
void typeInto(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
}

QPoint cellCentre(const TsColorsPanel* palette, int index)
{
    const Rect r = palette->Layout.cellRect(index);
    return {r.x + r.width / 2, r.y + r.height / 2};
}

void clickCell(TsColorsPanel* palette, int index) { QTest::mouseClick(palette, Qt::LeftButton, {}, cellCentre(palette, index)); }

std::vector<QString> readouts(const TsColorDialogForm& d)
{
    return {d.sEditHex->text(), d.sEditDecimal->text(), d.sREdit->text(), d.sGEdit->text(),
            d.sBEdit->text(),   d.sHEdit->text(),       d.sSEdit->text(), d.sVEdit->text()};
}

} // namespace

TEST(ColourDialog, opensOnPureRedWithEveryReadoutAndTheWindowAsLaidOut)
{
    DialogFixture p;
    p.open(Red, [](TsColorDialogForm& d) {
        EXPECT_EQ(readouts(d), (std::vector<QString>{"FF0000", "255", "255", "0", "0", "0", "100", "100"}));
        EXPECT_EQ(d.SelectedPanel->colour(), Red);
        EXPECT_EQ(d.OldPanel->colour(), Red);
        EXPECT_EQ(d.model.sColor, Red);

        EXPECT_EQ(d.windowTitle(), "Цвет");
        EXPECT_EQ(d.size(), QSize(584, 388));
        EXPECT_EQ(d.minimumSize(), d.maximumSize()); // not resizable
        EXPECT_FALSE(d.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(d.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_TRUE(d.windowFlags() & Qt::WindowSystemMenuHint);
        // Centred in the work area, 1920 x 1040.
        EXPECT_EQ(d.pos(), QPoint((1920 - 584) / 2, (1040 - 388) / 2));
        EXPECT_EQ(QApplication::focusWidget(), d.sBitBtn1);
        EXPECT_TRUE(d.sBitBtn1->isDefault());
        EXPECT_FALSE(d.sBitBtn4->isEnabled());
        EXPECT_TRUE(d.sBitBtn5->isHidden());

        const struct {
            QWidget* control;
            QRect place;
        } places[] = {
            {d.MainPal, {10, 13, 249, 142}},      {d.AddPal, {10, 173, 249, 108}},
            {d.sEditDecimal, {81, 288, 66, 21}},  {d.sEditHex, {193, 288, 58, 21}},
            {d.sSpeedButton1, {17, 319, 72, 25}}, {d.sBitBtn4, {94, 319, 157, 25}},
            {d.sBitBtn5, {17, 350, 72, 25}},      {d.sBitBtn1, {94, 350, 73, 25}},
            {d.sBitBtn2, {172, 350, 79, 25}},     {d.ColorPanel, {275, 13, 255, 255}},
            {d.GradPanel, {543, 13, 20, 255}},    {d.Panel1, {275, 276, 126, 65}},
            {d.SelectedPanel, {1, 1, 63, 63}},    {d.OldPanel, {64, 1, 61, 63}},
            {d.sBitBtn3, {275, 350, 126, 25}},    {d.sHEdit, {430, 276, 30, 21}},
            {d.sSEdit, {430, 303, 30, 21}},       {d.sVEdit, {430, 330, 30, 21}},
            {d.sREdit, {533, 276, 30, 21}},       {d.sGEdit, {533, 303, 30, 21}},
            {d.sBEdit, {533, 330, 30, 21}},
        };
        for (const auto& c : places) EXPECT_EQ(c.control->geometry(), c.place) << c.control->metaObject()->className();
        EXPECT_EQ(d.sLabel2->pos(), QPoint(21, 160));
        EXPECT_EQ(d.sHUnitLabel->pos(), QPoint(465, 274));
        EXPECT_EQ(d.sSUnitLabel->pos(), QPoint(465, 306));
        EXPECT_EQ(d.sVUnitLabel->pos(), QPoint(465, 333));

        const struct {
            QWidget* control;
            QString caption;
        } captions[] = {
            {d.sLabel2, "Дополнительный набор цветов :"}, {d.sEditHexLabel, "Hex - "},
            {d.sEditDecimalLabel, "Десятичное - "},      {d.sREditLabel, "Красный :"},
            {d.sGEditLabel, "Зеленый :"},                 {d.sBEditLabel, "Синий :"},
            {d.sHEditLabel, "H:"},                        {d.sSEditLabel, "S:"},
            {d.sVEditLabel, "B:"},                        {d.sHUnitLabel, "o"},
            {d.sBitBtn1, "OK"},                           {d.sBitBtn2, "Отмена"},
            {d.sBitBtn3, "Добавить в свой набор"},        {d.sBitBtn4, "Определить цвета"},
            {d.sBitBtn5, "&Помощь"},
        };
        for (const auto& c : captions) {
            const QString shown = c.control->property("text").toString();
            EXPECT_EQ(shown, c.caption);
            // Each caption's letters fit beside its field.
            if (auto* label = qobject_cast<QLabel*>(c.control)) {
                EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(shown.trimmed()))
                    << shown.toStdString();
            }
        }

        // The tab order from the hexadecimal field on.
        QWidget* expected[] = {d.sEditHex, d.sEditDecimal, d.sHEdit,  d.sSEdit,  d.sVEdit,   d.sREdit,
                               d.sGEdit,   d.sBEdit,       d.sBitBtn1, d.sBitBtn2, d.sBitBtn3, d.MainPal,
                               d.AddPal,   d.ColorPanel,   d.GradPanel};
        for (std::size_t i = 1; i < std::size(expected); ++i) {
            QWidget* next = expected[i - 1]->nextInFocusChain();
            while (next && !(next->isVisibleTo(&d) && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)))
                next = next->nextInFocusChain();
            EXPECT_EQ(next, expected[i]) << "after tab stop " << i - 1;
        }
        d.sBitBtn2->click();
    });
}

TEST(ColourDialog, typedColoursApplyFromEveryPath)
{
    DialogFixture p;
    p.open(Red, [](TsColorDialogForm& d) {
        // Hexadecimal: two characters give black, six give blue.
        typeInto(d.sEditHex, "00");
        EXPECT_EQ(d.sEditHex->displayText(), "00____");
        EXPECT_EQ(d.model.sColor, 0u);
        QTest::keyClicks(d.sEditHex, "00ff");
        EXPECT_EQ(d.sEditHex->displayText(), "0000FF");
        EXPECT_EQ(d.model.sColor, Blue);
        EXPECT_EQ(d.sEditDecimal->text(), "16711680");
        EXPECT_EQ(readouts(d), (std::vector<QString>{"0000FF", "16711680", "0", "0", "255", "240", "100", "100"}));
        EXPECT_EQ(d.SelectedPanel->colour(), Blue);
        EXPECT_EQ(d.OldPanel->colour(), Red); // the old colour never changes

        // Decimal: the value is the colour value, red in the low byte.
        typeInto(d.sEditDecimal, "255");
        EXPECT_EQ(d.model.sColor, Red);
        EXPECT_EQ(d.sEditHex->text(), "FF0000");
        typeInto(d.sEditDecimal, "4294967295"); // beyond 24 bits: the low ones
        EXPECT_EQ(d.model.sColor, White);
        d.sREdit->setFocus(); // leaving shows the colour value the number gave
        EXPECT_EQ(d.sEditDecimal->text(), "16777215");

        // R, G, B: clamped, text kept as typed until the focus leaves.
        typeInto(d.sREdit, "0");
        typeInto(d.sGEdit, "0");
        typeInto(d.sBEdit, "0");
        typeInto(d.sREdit, "300");
        EXPECT_EQ(d.model.sColor, Red);
        EXPECT_EQ(d.sREdit->text(), "300");
        d.sGEdit->setFocus();
        EXPECT_EQ(d.sREdit->text(), "255");
        typeInto(d.sGEdit, "abc"); // not a number: 0
        EXPECT_EQ(d.model.sColor, Red);

        // H, S, B: hue 120 at full saturation and brightness is green.
        typeInto(d.sHEdit, "120");
        EXPECT_EQ(d.model.sColor, Green);
        EXPECT_EQ(d.sEditHex->text(), "00FF00");
        EXPECT_EQ(d.sREdit->text(), "0");
        EXPECT_EQ(d.sGEdit->text(), "255");
        typeInto(d.sVEdit, "50");
        EXPECT_EQ(d.model.sColor, 0x008000u);

        // Up and Down step; so does each full wheel notch.
        d.sREdit->setFocus();
        QTest::keyClick(d.sREdit, Qt::Key_Up);
        EXPECT_EQ(d.sREdit->text(), "1");
        EXPECT_EQ(d.model.sColor, 0x008001u);
        QTest::keyClick(d.sREdit, Qt::Key_Down);
        QTest::keyClick(d.sREdit, Qt::Key_Down); // at the bottom of the range
        EXPECT_EQ(d.sREdit->text(), "0");
        auto wheel = [&](int delta) {
            QWheelEvent e(QPointF(5, 5), d.sREdit->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(d.sREdit, &e);
        };
        wheel(240);
        EXPECT_EQ(d.sREdit->Value(), 2);
        wheel(60);
        EXPECT_EQ(d.sREdit->Value(), 2); // half a notch: nothing yet
        wheel(60);
        EXPECT_EQ(d.sREdit->Value(), 3);
        wheel(-120);
        EXPECT_EQ(d.sREdit->Value(), 2);
        EXPECT_EQ(d.model.sColor, 0x008002u);
        d.sBitBtn2->click();
    });
}

TEST(ColourDialog, hexFieldFilterAndIncompleteEntryKeepsTheFocus)
{
    DialogFixture p;
    p.open(Red, [](TsColorDialogForm& d) {
        // Only hexadecimal digits get through typing.
        typeInto(d.sEditHex, "g-1 #z2a");
        EXPECT_EQ(d.sEditHex->displayText(), "12A___");
        EXPECT_EQ(d.model.sColor, colourValue(0, 0x01, 0x2A));
        QTest::keyClick(d.sEditHex, Qt::Key_Backspace); // editing keys work
        EXPECT_EQ(d.sEditHex->displayText(), "12____");
        EXPECT_EQ(d.model.sColor, colourValue(0, 0, 0x12));

        // A paste may bring any letters: read as black.
        QApplication::clipboard()->setText("GG0000");
        d.sEditHex->selectAll();
        QTest::keyClick(d.sEditHex, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(d.sEditHex->displayText(), "GG0000");
        EXPECT_EQ(d.model.sColor, 0u);

        // Leaving an incomplete entry: the error box, and the focus stays.
        typeInto(d.sEditHex, "00");
        ASSERT_TRUE(d.sEditHex->hasFocus());
        QStringList boxes;
        // Answers the next error box, whenever it comes.
        std::function<void()> answerBox = [&] {
            whenModal([&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    boxes << box->text();
                    box->accept();
                } else {
                    answerBox();
                }
            });
        };
        answerBox();
        QTest::keyClick(d.sEditHex, Qt::Key_Tab);
        // The dialog is active again once the box has gone.
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        EXPECT_TRUE(d.sEditHex->hasFocus());
        answerBox();
        QTest::mouseClick(d.sBitBtn3, Qt::LeftButton); // the add button
        QTest::qWait(1); // the refusal follows the press
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        EXPECT_EQ(boxes, QStringList({"Invalid input value.  Use escape key to abandon changes.",
                                      "Invalid input value.  Use escape key to abandon changes."}));
        EXPECT_TRUE(d.sEditHex->hasFocus());
        EXPECT_EQ(d.AddPal->Items()[0], "FFFFFF"); // the press never reached the button

        // Completed, it may be left.
        QTest::keyClicks(d.sEditHex, "8000");
        QTest::keyClick(d.sEditHex, Qt::Key_Tab);
        EXPECT_TRUE(d.sEditDecimal->hasFocus());
        EXPECT_EQ(d.model.sColor, colourValue(0, 0x80, 0));
        // Esc abandons everything: the dialog closes as Cancel.
        QTest::keyClick(d.sEditDecimal, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(p.select().ColorValue(), Red);
}

TEST(ColourDialog, addButtonFillsTheCellsInOrderThenOverwritesTheLast)
{
    DialogFixture p;
    ColourStrings added;
    p.open(Red, [&](TsColorDialogForm& d) {
        for (int i = 0; i < 20; ++i) {
            d.sREdit->setValue(100 + i);
            added.push_back(d.sEditHex->text().toStdString());
            d.sBitBtn3->click();
        }
        EXPECT_EQ(d.NextAddSlot, 17);
        d.sBitBtn2->click();
    });
    ColourStrings expected(added.begin(), added.begin() + 17);
    expected.push_back(added.back());
    EXPECT_EQ(SessionAddColors, expected);

    // A new opening starts again at the first cell.
    p.open(Blue, [](TsColorDialogForm& d) {
        EXPECT_EQ(d.AddPal->Items()[0], "640000");
        d.sBitBtn3->click();
        EXPECT_EQ(d.AddPal->Items()[0], "0000FF");
        EXPECT_EQ(d.AddPal->Items()[1], "650000");
        d.sBitBtn2->click();
    });
}

TEST(ColourDialog, emptyAdditionalCellIsTheTargetOfTheAddButton)
{
    DialogFixture p;
    SessionAddColors[0] = "FFFFFF";
    SessionAddColors[1] = "00FF00";
    p.open(Red, [](TsColorDialogForm& d) {
        clickCell(d.AddPal, 4);
        EXPECT_EQ(d.AddPal->ItemIndex(), 4);
        EXPECT_EQ(d.model.sColor, Red); // an empty cell is not taken
        d.sBitBtn3->click();
        EXPECT_EQ(d.AddPal->Items()[4], "FF0000");
        EXPECT_EQ(d.AddPal->Items()[0], "FFFFFF");

        // A filled cell is taken, and stays selected while the colour is its.
        clickCell(d.AddPal, 1);
        EXPECT_EQ(d.model.sColor, Green);
        EXPECT_EQ(d.AddPal->ItemIndex(), 1);
        // Editing the colour makes that cell the next one the add button fills.
        d.sBEdit->setValue(64);
        EXPECT_EQ(d.AddPal->ItemIndex(), -1);
        EXPECT_EQ(d.NextAddSlot, 1);
        d.sBitBtn3->click();
        EXPECT_EQ(d.AddPal->Items()[1], "00FF40");

        // Clicking beside every cell clears the selection, nothing else.
        clickCell(d.MainPal, 28);
        EXPECT_EQ(d.model.sColor, Red);
        EXPECT_EQ(d.MainPal->ItemIndex(), 28);
        QTest::mouseClick(d.MainPal, Qt::LeftButton, {}, QPoint(248, 141));
        EXPECT_EQ(d.MainPal->ItemIndex(), -1);
        EXPECT_EQ(d.model.sColor, Red);
        d.sBitBtn2->click();
    });
}

TEST(ColourDialog, additionalColoursAcrossOpeningsOkAndCancel)
{
    DialogFixture p;
    // Cancel after edits: the button's colour stays, only the session keeps
    // the additional colours.
    EXPECT_FALSE(p.open(Red, [](TsColorDialogForm& d) {
        d.sGEdit->setValue(255);
        d.sBitBtn3->click();
        d.sBitBtn2->click();
    }));
    EXPECT_EQ(p.select().ColorValue(), Red);
    EXPECT_TRUE(p.select().CustomColors.empty());
    EXPECT_EQ(SessionAddColors[0], "FFFF00");

    // Before the first OK every opening shows the session; OK gives the
    // button its list.
    EXPECT_TRUE(p.open(Blue, [](TsColorDialogForm& d) {
        EXPECT_EQ(d.AddPal->Items()[0], "FFFF00");
        d.sBitBtn3->click();
        EXPECT_EQ(d.AddPal->Items()[0], "0000FF");
        d.sBitBtn1->click();
    }));
    EXPECT_EQ(p.select().ColorValue(), Blue);
    ASSERT_EQ(p.select().CustomColors.size(), 18u);
    EXPECT_EQ(p.select().CustomColors[0], "0000FF");

    // A cancelled opening changes the session, not the button's list ...
    p.open(Green, [](TsColorDialogForm& d) {
        EXPECT_EQ(d.AddPal->Items()[0], "0000FF");
        d.sBitBtn3->click();
        d.sREdit->setValue(10);
        d.close(); // the title bar's close button: Cancel
    });
    EXPECT_EQ(p.select().ColorValue(), Green);
    EXPECT_EQ(p.select().CustomColors[0], "0000FF");
    EXPECT_EQ(SessionAddColors[0], "00FF00");
    // ... so the next opening shows the list as it was at the OK.
    p.open(Green, [](TsColorDialogForm& d) {
        EXPECT_EQ(d.AddPal->Items()[0], "0000FF");
        d.sBitBtn2->click();
    });
}

TEST(ColourDialog, closingPaths)
{
    DialogFixture p;
    // A double click on a main-palette cell: OK with that cell's colour.
    EXPECT_TRUE(p.open(Red, [](TsColorDialogForm& d) {
        QTest::mouseDClick(d.MainPal, Qt::LeftButton, {}, cellCentre(d.MainPal, 8));
        QTest::mouseRelease(d.MainPal, Qt::LeftButton, {}, cellCentre(d.MainPal, 8));
    }));
    EXPECT_EQ(p.select().ColorValue(), Blue); // "0000FF"

    // Enter in a field: OK with the typed colour.
    EXPECT_TRUE(p.open(Red, [](TsColorDialogForm& d) {
        typeInto(d.sEditHex, "123456");
        QTest::keyClick(d.sEditHex, Qt::Key_Return);
    }));
    EXPECT_EQ(p.select().ColorValue(), colourValue(0x12, 0x34, 0x56));

    // Esc: Cancel.
    EXPECT_FALSE(p.open(Red, [](TsColorDialogForm& d) {
        d.sGEdit->setValue(200);
        QTest::keyClick(d.sGEdit, Qt::Key_Escape);
    }));
    EXPECT_EQ(p.select().ColorValue(), Red);
}

TEST(ColourDialog, openSliderBlocksClosing)
{
    DialogFixture p;
    EXPECT_TRUE(p.open(Red, [](TsColorDialogForm& d) {
        QTest::mouseDClick(d.sGEdit, Qt::LeftButton);
        QTest::mouseRelease(d.sGEdit, Qt::LeftButton);
        ASSERT_TRUE(d.sGEdit->sliderOpen());
        auto* popup = d.sGEdit->findChild<TTrackPopup*>();
        ASSERT_NE(popup, nullptr);
        popup->slider->setValue(128);
        EXPECT_EQ(d.model.sColor, colourValue(255, 128, 0));

        // OK, Cancel and the title bar are refused while the slider is open.
        d.sBitBtn1->click();
        d.sBitBtn2->click();
        d.close();
        EXPECT_TRUE(d.isVisible());

        // Esc closes the slider only; then OK closes the dialog.
        QTest::keyClick(popup->slider, Qt::Key_Escape);
        EXPECT_FALSE(d.sGEdit->sliderOpen());
        EXPECT_TRUE(d.isVisible());
        // Alt+Down opens it too; a plain Down steps.
        QTest::keyClick(d.sGEdit, Qt::Key_Down, Qt::AltModifier);
        EXPECT_TRUE(d.sGEdit->sliderOpen());
        d.sGEdit->closeSlider();
        EXPECT_FALSE(d.sGEdit->sliderOpen());
        d.sBitBtn1->click();
    }));
    EXPECT_EQ(p.select().ColorValue(), colourValue(255, 128, 0));
}

TEST(ColourDialog, pipettePicksThePixelUnderTheTipNotTheHotSpot)
{
    DialogFixture p;
    const QPoint hotSpot(300, 200);
    const QPoint tip = hotSpot + (pipette::Tip - pipette::HotSpot);
    ASSERT_EQ(tip, QPoint(301, 198));
    p.fake.screen.pixelValue = 0x808080u;
    p.fake.screen.pixels[{tip.x(), tip.y()}] = Green;
    p.fake.screen.pixels[{hotSpot.x(), hotSpot.y()}] = Red;

    auto pickWith = [&](const std::function<void(TPickForm&)>& inPicker) {
        return [&, inPicker](TsColorDialogForm& d) {
            bool picked = false;
            whenModal([&] {
                auto* picker = qobject_cast<TPickForm*>(QApplication::activeModalWidget());
                if (!picker) return;
                picked = true;
                EXPECT_TRUE(picker->windowFlags() & Qt::FramelessWindowHint);
                EXPECT_EQ(picker->cursor().hotSpot(), QPoint(8, 23));
                EXPECT_EQ(picker->cursor().pixmap().toImage().pixel(9, 21), qRgb(0, 0, 0));
                // The swatch where the new-colour swatch is on the screen.
                EXPECT_EQ(picker->PickPanel->mapToGlobal(QPoint(0, 0)), d.SelectedPanel->mapToGlobal(QPoint(0, 0)));
                EXPECT_EQ(picker->PickPanel->size(), d.SelectedPanel->size());
                inPicker(*picker);
            });
            d.sSpeedButton1->click();
            EXPECT_TRUE(picked);
            EXPECT_EQ(d.model.sColor, d.SelectedPanel->colour());
            d.sBitBtn1->click();
        };
    };
    // Esc: no change.
    EXPECT_TRUE(p.open(Blue, pickWith([&](TPickForm& picker) { QTest::keyClick(&picker, Qt::Key_Escape); })));
    EXPECT_EQ(p.select().ColorValue(), Blue);

    EXPECT_TRUE(p.open(Blue, pickWith([&](TPickForm& picker) {
        QTest::mouseMove(&picker, hotSpot);
        EXPECT_EQ(picker.PickPanel->palette().color(QPalette::Window), QColor(0, 255, 0));
        QTest::mousePress(&picker, Qt::RightButton, {}, hotSpot);
        QTest::mouseRelease(&picker, Qt::RightButton, {}, hotSpot);
    })));
    EXPECT_EQ(p.select().ColorValue(), Green);
}

// Inspecting a frozen colour from the main window.
TEST(Inspect, swatchClickOpensTheFrozenColourAndProbingResumes)
{
    DialogFixture p;
    p.fake.screen.pixelValue = 0x000064C8; // (200, 100, 0)
    p.fake.screen.ramp = rampOf([](int i) { return std::min(65535, i * 300); });
    p.form->showMainWindow();
    p.form->probeTick();
    p.form->probeTimer->start();
    const Rgb bitmap = p.state.bitmapColour, lut = p.state.lutColour;
    ASSERT_NE(bitmap, lut);
    const QString label = p.form->bitmapRedLabel->text();
    const auto value = [](Rgb c) { return colourValue(c.R, c.G, c.B); };

    // While probing the swatch is no button.
    p.form->inspectFrozenColour();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // Each opening follows a key event of the main window (none for the
    // first): Alt's line and Ctrl's slow speed are lifted for the dialog.
    const struct {
        std::optional<KeyChord> key;
        bool ok;
        ColourValue opensOn;
    } cases[] = {
        {std::nullopt, true, value(bitmap)},
        {KeyChord{keys::Alt, false, false, true}, false, value(lut)},
        {KeyChord{keys::Control, false, true, false}, true, value(lut)},
        {KeyChord{keys::Control, false, true, true}, false, value(lut)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key ? shortcutCode(*c.key) : 0);
        p.form->toggleFreeze();
        ASSERT_FALSE(p.form->probing());
        if (c.key) p.form->keyDown(*c.key);
        ColourValue opened = 0;
        p.runModal([&] { QTest::mouseClick(p.form->swatch, Qt::LeftButton); },
                   [&](TsColorDialogForm& d) {
                       opened = d.OldPanel->colour();
                       EXPECT_EQ(p.fake.pointer.confinement, std::nullopt);
                       EXPECT_EQ(p.fake.pointer.currentSpeed, UserSpeed);
                       d.sBEdit->setValue(255);
                       (c.ok ? d.sBitBtn1 : d.sBitBtn2)->click();
                   });
        EXPECT_EQ(opened, c.opensOn);
        EXPECT_TRUE(p.form->probing());
        // The confirmed colour goes nowhere else.
        EXPECT_EQ(p.state.bitmapColour, bitmap);
        EXPECT_EQ(p.state.lutColour, lut);
        EXPECT_EQ(p.form->bitmapRedLabel->text(), label);
        EXPECT_EQ(p.fake.clipboard.writes, 0);
    }
}
