#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <functional>

#include "colourdialog/colour_chooser.h"
#include "colourdialog/colour_dialog.h"
#include "colourdialog/colour_entry.h"
#include "colourdialog/colour_select_button.h"
#include "colourdialog/pipette_window.h"
#include "colourdialog/track_popup.h"
#include "main_window_fixture.h"
#include "modal_answer.h"

using namespace tintora;
using tintora::fake::rampOf;

namespace {

constexpr ColourValue Red = 0x0000FFu, Green = 0x00FF00u, Blue = 0xFF0000u, White = 0xFFFFFFu;

// Runs body once the modal loop that follows has started.

// The program over the fake platform, with a colour-select button of its own
// whose custom colours kept for the run are as at start.
struct DialogFixture : MainWindowFixture {
    DialogFixture() { form->probeTimer()->stop(); }
    ~DialogFixture() { form->probeTimer()->stop(); }

    // A colour-select button of its own, hidden on the main window.
    ColourSelectButton* m_select = new ColourSelectButton(fake.platform, form);
    ColourSelectButton& select() { return *m_select; }

    // Opens the dialog through the select button on colour and runs body in
    // it; body closes it. Returns whether it was confirmed. A dialog that
    // body left open fails the test and is cancelled.
    bool open(ColourValue colour, const std::function<void(ColourDialog&)>& body)
    {
        select().setColour(colour);
        bool confirmed = false;
        const auto c = QObject::connect(&select(), &ColourSelectButton::colourChosen, [&] { confirmed = true; });
        runModal([&] { select().chooseColour(); }, body);
        QObject::disconnect(c);
        return confirmed;
    }

    // Runs start, which opens the dialog, with body inside the dialog.
    static void runModal(const std::function<void()>& start, const std::function<void(ColourDialog&)>& body)
    {
        bool ran = false;
        {
            ModalAnswer answer([&](QWidget* modal) {
                auto* dialog = qobject_cast<ColourDialog*>(modal);
                if (!dialog) {
                    ADD_FAILURE() << "no colour dialog";
                    return;
                }
                ran = true;
                EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
                body(*dialog);
                if (dialog->isVisible()) {
                    ADD_FAILURE() << "the dialog is still open";
                    for (TrackEdit* f : {dialog->ui().hueField, dialog->ui().saturationField, dialog->ui().brightnessField,
                                         dialog->ui().redField, dialog->ui().greenField, dialog->ui().blueField})
                        f->closeSlider();
                    dialog->reject();
                }
            });
            start();
        }
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

QPoint cellCentre(const PaletteGrid* palette, int index)
{
    const Rect r = palette->cellLayout.cellRect(index);
    return {r.x + r.width / 2, r.y + r.height / 2};
}

void clickCell(PaletteGrid* palette, int index) { QTest::mouseClick(palette, Qt::LeftButton, {}, cellCentre(palette, index)); }

std::vector<QString> readouts(const ColourDialog& d)
{
    return {d.ui().hexField->text(), d.ui().decimalField->text(), d.ui().redField->text(), d.ui().greenField->text(),
            d.ui().blueField->text(),   d.ui().hueField->text(),       d.ui().saturationField->text(), d.ui().brightnessField->text()};
}

} // namespace

TEST(ColourDialog, opensOnPureRedWithEveryReadoutAndTheWindowAsLaidOut)
{
    DialogFixture p;
    p.open(Red, [](ColourDialog& d) {
        EXPECT_EQ(readouts(d), (std::vector<QString>{"FF0000", "255", "255", "0", "0", "0", "100", "100"}));
        EXPECT_EQ(d.ui().newColourSwatch->colour(), Red);
        EXPECT_EQ(d.ui().oldColourSwatch->colour(), Red);
        EXPECT_EQ(d.model().currentColour(), Red);

        EXPECT_EQ(d.windowTitle(), "Цвет");
        EXPECT_EQ(d.size(), QSize(584, 388));
        EXPECT_EQ(d.minimumSize(), d.maximumSize()); // not resizable
        EXPECT_FALSE(d.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(d.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_TRUE(d.windowFlags() & Qt::WindowSystemMenuHint);
        // Centred in the work area, 1920 x 1040, by its whole size: the
        // frame the window system adds counts.
        const QSize outer = d.frameGeometry().size();
        EXPECT_GT(outer.width(), 584) << "the test platform gives windows a frame";
        EXPECT_EQ(d.pos(), QPoint((1920 - outer.width()) / 2, (1040 - outer.height()) / 2));
        EXPECT_EQ(QApplication::focusWidget(), d.ui().okButton);
        EXPECT_TRUE(d.ui().okButton->isDefault());
        EXPECT_FALSE(d.ui().defineColoursButton->isEnabled());
        EXPECT_TRUE(d.ui().helpButton->isHidden());

        const struct {
            QWidget* control;
            QRect place;
        } places[] = {
            {d.ui().mainPalette, {10, 13, 249, 142}},      {d.ui().customPalette, {10, 173, 249, 108}},
            {d.ui().decimalField, {81, 288, 66, 21}},  {d.ui().hexField, {193, 288, 58, 21}},
            {d.ui().pipetteButton, {17, 319, 72, 25}}, {d.ui().defineColoursButton, {94, 319, 157, 25}},
            {d.ui().helpButton, {17, 350, 72, 25}},      {d.ui().okButton, {94, 350, 73, 25}},
            {d.ui().cancelButton, {172, 350, 79, 25}},     {d.ui().colourField, {275, 13, 255, 255}},
            {d.ui().brightnessScale, {543, 13, 20, 255}},    {d.ui().swatchFrame, {275, 276, 126, 65}},
            {d.ui().newColourSwatch, {1, 1, 63, 63}},    {d.ui().oldColourSwatch, {64, 1, 61, 63}},
            {d.ui().addButton, {275, 350, 126, 25}},    {d.ui().hueField, {430, 276, 30, 21}},
            {d.ui().saturationField, {430, 303, 30, 21}},       {d.ui().brightnessField, {430, 330, 30, 21}},
            {d.ui().redField, {533, 276, 30, 21}},       {d.ui().greenField, {533, 303, 30, 21}},
            {d.ui().blueField, {533, 330, 30, 21}},
        };
        for (const auto& c : places) EXPECT_EQ(c.control->geometry(), c.place) << c.control->metaObject()->className();
        EXPECT_EQ(d.ui().customPaletteLabel->pos(), QPoint(21, 160));
        EXPECT_EQ(d.ui().hueUnitLabel->pos(), QPoint(465, 274));
        EXPECT_EQ(d.ui().saturationUnitLabel->pos(), QPoint(465, 306));
        EXPECT_EQ(d.ui().brightnessUnitLabel->pos(), QPoint(465, 333));

        const struct {
            QWidget* control;
            QString caption;
        } captions[] = {
            {d.ui().customPaletteLabel, "Дополнительный набор цветов :"}, {d.ui().hexLabel, "Hex - "},
            {d.ui().decimalLabel, "Десятичное - "},      {d.ui().redLabel, "Красный :"},
            {d.ui().greenLabel, "Зеленый :"},                 {d.ui().blueLabel, "Синий :"},
            {d.ui().hueLabel, "H:"},                        {d.ui().saturationLabel, "S:"},
            {d.ui().brightnessLabel, "B:"},                        {d.ui().hueUnitLabel, "o"},
            {d.ui().okButton, "OK"},                           {d.ui().cancelButton, "Отмена"},
            {d.ui().addButton, "Добавить в свой набор"},        {d.ui().defineColoursButton, "Определить цвета"},
            {d.ui().helpButton, "&Помощь"},
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
        QWidget* expected[] = {d.ui().hexField, d.ui().decimalField, d.ui().hueField,  d.ui().saturationField,  d.ui().brightnessField,   d.ui().redField,
                               d.ui().greenField,   d.ui().blueField,       d.ui().okButton, d.ui().cancelButton, d.ui().addButton, d.ui().mainPalette,
                               d.ui().customPalette,   d.ui().colourField,   d.ui().brightnessScale};
        for (std::size_t i = 1; i < std::size(expected); ++i) {
            QWidget* next = expected[i - 1]->nextInFocusChain();
            while (next && !(next->isVisibleTo(&d) && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)))
                next = next->nextInFocusChain();
            EXPECT_EQ(next, expected[i]) << "after tab stop " << i - 1;
        }
        d.ui().cancelButton->click();
    });
}

TEST(ColourDialog, typedColoursApplyFromEveryPath)
{
    DialogFixture p;
    p.open(Red, [](ColourDialog& d) {
        // Hexadecimal: two characters give black, six give blue.
        typeInto(d.ui().hexField, "00");
        EXPECT_EQ(d.ui().hexField->displayText(), "00____");
        EXPECT_EQ(d.model().currentColour(), 0u);
        QTest::keyClicks(d.ui().hexField, "00ff");
        EXPECT_EQ(d.ui().hexField->displayText(), "0000FF");
        EXPECT_EQ(d.model().currentColour(), Blue);
        EXPECT_EQ(d.ui().decimalField->text(), "16711680");
        EXPECT_EQ(readouts(d), (std::vector<QString>{"0000FF", "16711680", "0", "0", "255", "240", "100", "100"}));
        EXPECT_EQ(d.ui().newColourSwatch->colour(), Blue);
        EXPECT_EQ(d.ui().oldColourSwatch->colour(), Red); // the old colour never changes

        // Decimal: the value is the colour value, red in the low byte.
        typeInto(d.ui().decimalField, "255");
        EXPECT_EQ(d.model().currentColour(), Red);
        EXPECT_EQ(d.ui().hexField->text(), "FF0000");
        typeInto(d.ui().decimalField, "4294967295"); // beyond 24 bits: the low ones
        EXPECT_EQ(d.model().currentColour(), White);
        d.ui().redField->setFocus(); // leaving shows the colour value the number gave
        EXPECT_EQ(d.ui().decimalField->text(), "16777215");

        // R, G, B: clamped, text kept as typed until the focus leaves.
        typeInto(d.ui().redField, "0");
        typeInto(d.ui().greenField, "0");
        typeInto(d.ui().blueField, "0");
        typeInto(d.ui().redField, "300");
        EXPECT_EQ(d.model().currentColour(), Red);
        EXPECT_EQ(d.ui().redField->text(), "300");
        d.ui().greenField->setFocus();
        EXPECT_EQ(d.ui().redField->text(), "255");
        typeInto(d.ui().greenField, "abc"); // not a number: 0
        EXPECT_EQ(d.model().currentColour(), Red);

        // H, S, B: hue 120 at full saturation and brightness is green.
        typeInto(d.ui().hueField, "120");
        EXPECT_EQ(d.model().currentColour(), Green);
        EXPECT_EQ(d.ui().hexField->text(), "00FF00");
        EXPECT_EQ(d.ui().redField->text(), "0");
        EXPECT_EQ(d.ui().greenField->text(), "255");
        typeInto(d.ui().brightnessField, "50");
        EXPECT_EQ(d.model().currentColour(), 0x008000u);

        // Up and Down step; so does each full wheel notch.
        d.ui().redField->setFocus();
        QTest::keyClick(d.ui().redField, Qt::Key_Up);
        EXPECT_EQ(d.ui().redField->text(), "1");
        EXPECT_EQ(d.model().currentColour(), 0x008001u);
        QTest::keyClick(d.ui().redField, Qt::Key_Down);
        QTest::keyClick(d.ui().redField, Qt::Key_Down); // at the bottom of the range
        EXPECT_EQ(d.ui().redField->text(), "0");
        auto wheel = [&](int delta) {
            QWheelEvent e(QPointF(5, 5), d.ui().redField->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(d.ui().redField, &e);
        };
        wheel(240);
        EXPECT_EQ(d.ui().redField->value(), 2);
        wheel(60);
        EXPECT_EQ(d.ui().redField->value(), 2); // half a notch: nothing yet
        wheel(60);
        EXPECT_EQ(d.ui().redField->value(), 3);
        wheel(-120);
        EXPECT_EQ(d.ui().redField->value(), 2);
        EXPECT_EQ(d.model().currentColour(), 0x008002u);
        d.ui().cancelButton->click();
    });
}

TEST(ColourDialog, hexFieldFilterAndIncompleteEntryKeepsTheFocus)
{
    DialogFixture p;
    p.open(Red, [](ColourDialog& d) {
        // Only hexadecimal digits get through typing.
        typeInto(d.ui().hexField, "g-1 #z2a");
        EXPECT_EQ(d.ui().hexField->displayText(), "12A___");
        EXPECT_EQ(d.model().currentColour(), colourValueFromLevels(0, 0x01, 0x2A));
        QTest::keyClick(d.ui().hexField, Qt::Key_Backspace); // editing keys work
        EXPECT_EQ(d.ui().hexField->displayText(), "12____");
        EXPECT_EQ(d.model().currentColour(), colourValueFromLevels(0, 0, 0x12));

        // A paste may bring any letters: read as black.
        QApplication::clipboard()->setText("GG0000");
        d.ui().hexField->selectAll();
        QTest::keyClick(d.ui().hexField, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(d.ui().hexField->displayText(), "GG0000");
        EXPECT_EQ(d.model().currentColour(), 0u);

        // Leaving an incomplete entry: the error box, and the focus stays.
        typeInto(d.ui().hexField, "00");
        ASSERT_TRUE(d.ui().hexField->hasFocus());
        QStringList boxes;
        // Answers the next error box over the dialog.
        auto answerBox = [&] {
            return ModalAnswer::over(&d, [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_NE(box, nullptr) << "the modal window is no message box";
                boxes << box->text();
                box->accept();
            });
        };
        {
            const auto answer = answerBox();
            QTest::keyClick(d.ui().hexField, Qt::Key_Tab);
        }
        // The dialog is active again once the box has gone.
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        EXPECT_TRUE(d.ui().hexField->hasFocus());
        {
            // The refusal comes from the event loop after the press.
            const auto answer = answerBox();
            QTest::mouseClick(d.ui().addButton, Qt::LeftButton);
        }
        ASSERT_EQ(boxes.size(), 2) << "no error box after the press";
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        EXPECT_EQ(boxes, QStringList({"Invalid input value.  Use escape key to abandon changes.",
                                      "Invalid input value.  Use escape key to abandon changes."}));
        EXPECT_TRUE(d.ui().hexField->hasFocus());
        EXPECT_EQ(d.ui().customPalette->colours()[0], "FFFFFF"); // the press never reached the button

        // Completed, it may be left.
        QTest::keyClicks(d.ui().hexField, "8000");
        QTest::keyClick(d.ui().hexField, Qt::Key_Tab);
        EXPECT_TRUE(d.ui().decimalField->hasFocus());
        EXPECT_EQ(d.model().currentColour(), colourValueFromLevels(0, 0x80, 0));
        // Esc abandons everything: the dialog closes as Cancel.
        QTest::keyClick(d.ui().decimalField, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(p.select().colour(), Red);
}

TEST(ColourDialog, addButtonFillsTheCellsInOrderThenOverwritesTheLast)
{
    DialogFixture p;
    ColourStrings added;
    p.open(Red, [&](ColourDialog& d) {
        for (int i = 0; i < 20; ++i) {
            d.ui().redField->setValue(100 + i);
            added.push_back(d.ui().hexField->text().toStdString());
            d.ui().addButton->click();
        }
        EXPECT_EQ(d.nextCustomSlot(), 17);
        d.ui().cancelButton->click();
    });
    ColourStrings expected(added.begin(), added.begin() + 17);
    expected.push_back(added.back());
    EXPECT_EQ(p.select().sessionColours(), expected);

    // A new opening starts again at the first cell.
    p.open(Blue, [](ColourDialog& d) {
        EXPECT_EQ(d.ui().customPalette->colours()[0], "640000");
        d.ui().addButton->click();
        EXPECT_EQ(d.ui().customPalette->colours()[0], "0000FF");
        EXPECT_EQ(d.ui().customPalette->colours()[1], "650000");
        d.ui().cancelButton->click();
    });
}

TEST(ColourDialog, emptyCustomCellIsTheTargetOfTheAddButton)
{
    DialogFixture p;
    ColourStrings session = initialCustomColours();
    session[1] = "00FF00";
    p.select().setSessionColours(session);
    p.open(Red, [](ColourDialog& d) {
        clickCell(d.ui().customPalette, 4);
        EXPECT_EQ(d.ui().customPalette->selectedIndex(), 4);
        EXPECT_EQ(d.model().currentColour(), Red); // an empty cell is not taken
        d.ui().addButton->click();
        EXPECT_EQ(d.ui().customPalette->colours()[4], "FF0000");
        EXPECT_EQ(d.ui().customPalette->colours()[0], "FFFFFF");

        // A filled cell is taken, and stays selected while the colour is its.
        clickCell(d.ui().customPalette, 1);
        EXPECT_EQ(d.model().currentColour(), Green);
        EXPECT_EQ(d.ui().customPalette->selectedIndex(), 1);
        // Editing the colour makes that cell the next one the add button fills.
        d.ui().blueField->setValue(64);
        EXPECT_EQ(d.ui().customPalette->selectedIndex(), -1);
        EXPECT_EQ(d.nextCustomSlot(), 1);
        d.ui().addButton->click();
        EXPECT_EQ(d.ui().customPalette->colours()[1], "00FF40");

        // Clicking beside every cell clears the selection, nothing else.
        clickCell(d.ui().mainPalette, 28);
        EXPECT_EQ(d.model().currentColour(), Red);
        EXPECT_EQ(d.ui().mainPalette->selectedIndex(), 28);
        QTest::mouseClick(d.ui().mainPalette, Qt::LeftButton, {}, QPoint(248, 141));
        EXPECT_EQ(d.ui().mainPalette->selectedIndex(), -1);
        EXPECT_EQ(d.model().currentColour(), Red);
        d.ui().cancelButton->click();
    });
}

TEST(ColourDialog, customColoursAcrossOpeningsOkAndCancel)
{
    DialogFixture p;
    // Cancel after edits: the button's colour stays, only the session keeps
    // the custom colours.
    EXPECT_FALSE(p.open(Red, [](ColourDialog& d) {
        d.ui().greenField->setValue(255);
        d.ui().addButton->click();
        d.ui().cancelButton->click();
    }));
    EXPECT_EQ(p.select().colour(), Red);
    EXPECT_TRUE(p.select().customColours().empty());
    EXPECT_EQ(p.select().sessionColours()[0], "FFFF00");

    // Before the first OK every opening shows the session; OK gives the
    // button its list.
    EXPECT_TRUE(p.open(Blue, [](ColourDialog& d) {
        EXPECT_EQ(d.ui().customPalette->colours()[0], "FFFF00");
        d.ui().addButton->click();
        EXPECT_EQ(d.ui().customPalette->colours()[0], "0000FF");
        d.ui().okButton->click();
    }));
    EXPECT_EQ(p.select().colour(), Blue);
    ASSERT_EQ(p.select().customColours().size(), 18u);
    EXPECT_EQ(p.select().customColours()[0], "0000FF");

    // A cancelled opening changes the session, not the button's list ...
    p.open(Green, [](ColourDialog& d) {
        EXPECT_EQ(d.ui().customPalette->colours()[0], "0000FF");
        d.ui().addButton->click();
        d.ui().redField->setValue(10);
        d.close(); // the title bar's close button: Cancel
    });
    EXPECT_EQ(p.select().colour(), Green);
    EXPECT_EQ(p.select().customColours()[0], "0000FF");
    EXPECT_EQ(p.select().sessionColours()[0], "00FF00");
    // ... so the next opening shows the list as it was at the OK.
    p.open(Green, [](ColourDialog& d) {
        EXPECT_EQ(d.ui().customPalette->colours()[0], "0000FF");
        d.ui().cancelButton->click();
    });
}

TEST(ColourDialog, closingPaths)
{
    DialogFixture p;
    // A double click on a main-palette cell: OK with that cell's colour.
    EXPECT_TRUE(p.open(Red, [](ColourDialog& d) {
        QTest::mouseDClick(d.ui().mainPalette, Qt::LeftButton, {}, cellCentre(d.ui().mainPalette, 8));
        QTest::mouseRelease(d.ui().mainPalette, Qt::LeftButton, {}, cellCentre(d.ui().mainPalette, 8));
    }));
    EXPECT_EQ(p.select().colour(), Blue); // "0000FF"

    // Enter in a field: OK with the typed colour.
    EXPECT_TRUE(p.open(Red, [](ColourDialog& d) {
        typeInto(d.ui().hexField, "123456");
        QTest::keyClick(d.ui().hexField, Qt::Key_Return);
    }));
    EXPECT_EQ(p.select().colour(), colourValueFromLevels(0x12, 0x34, 0x56));

    // Esc: Cancel.
    EXPECT_FALSE(p.open(Red, [](ColourDialog& d) {
        d.ui().greenField->setValue(200);
        QTest::keyClick(d.ui().greenField, Qt::Key_Escape);
    }));
    EXPECT_EQ(p.select().colour(), Red);
}

TEST(ColourDialog, openSliderBlocksClosing)
{
    DialogFixture p;
    EXPECT_TRUE(p.open(Red, [](ColourDialog& d) {
        QTest::mouseDClick(d.ui().greenField, Qt::LeftButton);
        QTest::mouseRelease(d.ui().greenField, Qt::LeftButton);
        ASSERT_TRUE(d.ui().greenField->sliderOpen());
        auto* popup = d.ui().greenField->findChild<TrackPopup*>();
        ASSERT_NE(popup, nullptr);
        popup->slider()->setValue(128);
        EXPECT_EQ(d.model().currentColour(), colourValueFromLevels(255, 128, 0));

        // OK, Cancel and the title bar are refused while the slider is open.
        d.ui().okButton->click();
        d.ui().cancelButton->click();
        d.close();
        EXPECT_TRUE(d.isVisible());

        // Esc closes the slider only; then OK closes the dialog.
        QTest::keyClick(popup->slider(), Qt::Key_Escape);
        EXPECT_FALSE(d.ui().greenField->sliderOpen());
        EXPECT_TRUE(d.isVisible());
        // Alt+Down opens it too; a plain Down steps.
        QTest::keyClick(d.ui().greenField, Qt::Key_Down, Qt::AltModifier);
        EXPECT_TRUE(d.ui().greenField->sliderOpen());
        d.ui().greenField->closeSlider();
        EXPECT_FALSE(d.ui().greenField->sliderOpen());
        d.ui().okButton->click();
    }));
    EXPECT_EQ(p.select().colour(), colourValueFromLevels(255, 128, 0));
}

TEST(ColourDialog, pipettePicksThePixelUnderTheTipNotTheHotSpot)
{
    DialogFixture p;
    const QPoint hotSpot(300, 200);
    const QPoint tip = hotSpot + (pipette::Tip - pipette::HotSpot);
    ASSERT_EQ(tip, QPoint(301, 198));
    p.fake.pixels.pixelValue = 0x808080u;
    p.fake.pixels.overrides[{tip.x(), tip.y()}] = Green;
    p.fake.pixels.overrides[{hotSpot.x(), hotSpot.y()}] = Red;

    auto pickWith = [&](const std::function<void(PipetteWindow&)>& inPicker) {
        return [&, inPicker](ColourDialog& d) {
            bool picked = false;
            const auto answer = ModalAnswer::over(&d, [&](QWidget* modal) {
                auto* picker = qobject_cast<PipetteWindow*>(modal);
                if (!picker) return;
                picked = true;
                EXPECT_TRUE(picker->windowFlags() & Qt::FramelessWindowHint);
                EXPECT_EQ(picker->cursor().hotSpot(), QPoint(8, 23));
                EXPECT_EQ(picker->cursor().pixmap().toImage().pixel(9, 21), qRgb(0, 0, 0));
                // The swatch where the new-colour swatch is on the screen.
                EXPECT_EQ(picker->swatch()->mapToGlobal(QPoint(0, 0)), d.ui().newColourSwatch->mapToGlobal(QPoint(0, 0)));
                EXPECT_EQ(picker->swatch()->size(), d.ui().newColourSwatch->size());
                inPicker(*picker);
            });
            d.ui().pipetteButton->click();
            EXPECT_TRUE(picked);
            EXPECT_EQ(d.model().currentColour(), d.ui().newColourSwatch->colour());
            d.ui().okButton->click();
        };
    };
    // Esc: no change.
    EXPECT_TRUE(p.open(Blue, pickWith([&](PipetteWindow& picker) { QTest::keyClick(&picker, Qt::Key_Escape); })));
    EXPECT_EQ(p.select().colour(), Blue);

    EXPECT_TRUE(p.open(Blue, pickWith([&](PipetteWindow& picker) {
        QTest::mouseMove(&picker, hotSpot);
        EXPECT_EQ(picker.swatch()->palette().color(QPalette::Window), QColor(0, 255, 0));
        QTest::mousePress(&picker, Qt::RightButton, {}, hotSpot);
        QTest::mouseRelease(&picker, Qt::RightButton, {}, hotSpot);
    })));
    EXPECT_EQ(p.select().colour(), Green);
}

// Inspecting a frozen colour from the main window.
TEST(Inspect, swatchClickOpensTheFrozenColourAndProbingResumes)
{
    DialogFixture p;
    p.fake.pixels.pixelValue = 0x000064C8; // (200, 100, 0)
    p.fake.ramps.ramp = rampOf([](int i) { return std::min(65535, i * 300); });
    p.form->showMainWindow();
    p.form->probeTick();
    p.form->probeTimer()->start();
    ASSERT_TRUE(p.form->sample().bitmap && p.form->sample().lut());
    const Rgb bitmap = *p.form->sample().bitmap, lut = *p.form->sample().lut();
    ASSERT_NE(bitmap, lut);
    const QString label = p.form->ui().bitmapRedLabel->text();

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
        {std::nullopt, true, colourValueFromRgb(bitmap)},
        {KeyChord{keys::Alt, false, false, true}, false, colourValueFromRgb(lut)},
        {KeyChord{keys::Control, false, true, false}, true, colourValueFromRgb(lut)},
        {KeyChord{keys::Control, false, true, true}, false, colourValueFromRgb(lut)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key ? shortcutCode(*c.key) : 0);
        p.form->toggleFreeze();
        ASSERT_FALSE(p.form->probing());
        if (c.key) p.form->keyDown(*c.key);
        ColourValue opened = 0;
        p.runModal([&] { QTest::mouseClick(p.form->ui().swatch, Qt::LeftButton); },
                   [&](ColourDialog& d) {
                       opened = d.ui().oldColourSwatch->colour();
                       EXPECT_EQ(p.fake.pointer.confinement, std::nullopt);
                       EXPECT_EQ(p.fake.pointer.currentSpeed, UserSpeed);
                       d.ui().blueField->setValue(255);
                       (c.ok ? d.ui().okButton : d.ui().cancelButton)->click();
                   });
        EXPECT_EQ(opened, c.opensOn);
        EXPECT_TRUE(p.form->probing());
        // The confirmed colour goes nowhere else.
        EXPECT_EQ(p.form->sample().bitmap, bitmap);
        EXPECT_EQ(p.form->sample().lut(), lut);
        EXPECT_EQ(p.form->ui().bitmapRedLabel->text(), label);
        EXPECT_EQ(p.fake.clipboard.writes, 0);
    }
}

// Frozen on a colour that could not be read (no ramp: no LUT colour; no
// pixel: no colour at all), the swatch's click opens no dialog on a made-up
// colour: nothing happens, and the program stays frozen.
TEST(Inspect, noDialogOnAColourThatWasNotRead)
{
    DialogFixture p;
    p.fake.pixels.pixelValue = 0x000064C8;
    p.fake.ramps.ramp.reset();
    p.form->showMainWindow();
    p.form->probeTimer()->start(); // probing, as the program runs
    const struct {
        const char* name;
        bool pixelFails;
        std::optional<KeyChord> key; // Ctrl: the LUT colour
    } cases[] = {
        {"no LUT colour", false, KeyChord{keys::Control, false, true, false}},
        {"no pixel", true, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        p.fake.pixels.pixelFails = c.pixelFails;
        p.form->probeTick();
        p.form->toggleFreeze();
        ASSERT_FALSE(p.form->probing());
        if (c.key) p.form->keyDown(*c.key);
        {
            const ModalAnswer guard = ModalAnswer::none([](QWidget* modal) { modal->close(); });
            QTest::mouseClick(p.form->ui().swatch, Qt::LeftButton);
        }
        EXPECT_FALSE(p.form->probing());
        if (c.key) p.form->keyUp(KeyChord{c.key->key, false, false, false});
        p.form->toggleFreeze();
    }
}
