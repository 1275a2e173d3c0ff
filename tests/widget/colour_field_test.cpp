#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "colourdialog/brightness_scale.h"
#include "colourdialog/colour_field.h"
#include "fake/fake_platform.h"
#include "fake/no_readouts.h"

using namespace tintora;

namespace {

constexpr ColourValue Red = 0x0000FFu;
constexpr ColourValue White = 0xFFFFFFu;

using fake::NoReadouts;

// The field and the scale where the dialog puts them. The model goes before
// the window, as a dialog's members go before its children.
struct Surfaces : testing::Test {
    fake::FakePointer pointer;
    NoReadouts readouts;
    QWidget host;
    ColourModel model{readouts};
    ColourField* field;
    BrightnessScale* scale;

    Surfaces()
    {
        host.setFixedSize(584, 388);
        field = new ColourField(&host, model, pointer);
        field->move(275, 13);
        scale = new BrightnessScale(&host, model, pointer);
        scale->move(543, 13);
        host.move(100, 50);
        host.show();
        model.open(Red);
    }

    static void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static void press(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) { send(w, QEvent::MouseButtonPress, at, b, b); }
    static void drag(QWidget* w, QPoint at) { send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    static void release(QWidget* w, QPoint at) { send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }

    Rect fieldOnScreen() const
    {
        const QPoint origin = host.mapToGlobal(QPoint(275, 13));
        return {origin.x(), origin.y(), 255, 255};
    }
};

int blackPixelsAround(const QImage& img, Point c)
{
    int n = 0;
    for (int y = c.y - 6; y <= c.y + 6; ++y)
        for (int x = c.x - 6; x <= c.x + 6; ++x)
            if (img.valid(x, y) && (img.pixel(x, y) & 0xFFFFFFu) == 0) ++n;
    return n;
}

TEST_F(Surfaces, fieldPressConfinesThePointerThroughThePlatform)
{
    QSignalSpy changed(field, &ColourField::colourChanged);
    press(field, {254, 0}, Qt::RightButton); // any button
    EXPECT_EQ(model.currentHue(), 359);
    EXPECT_TRUE(model.fieldDragging());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toUInt(), model.currentColour());
    EXPECT_EQ(host.focusWidget(), field);
    ASSERT_TRUE(pointer.confinement.has_value());
    EXPECT_EQ(*pointer.confinement, fieldOnScreen());
    EXPECT_EQ(field->screenRect(), fieldOnScreen());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr); // no grab of the pointer by Qt

    release(field, {254, 0});
    EXPECT_FALSE(model.fieldDragging());
    EXPECT_EQ(pointer.confinements, (std::vector<std::optional<Rect>>{fieldOnScreen(), std::nullopt}));
}

TEST_F(Surfaces, fieldDragTruncatesTheHueAndSkipsRepeats)
{
    QSignalSpy changed(field, &ColourField::colourChanged);
    press(field, {100, 50});
    drag(field, {254, 0});
    EXPECT_EQ(model.currentHue(), 358);
    drag(field, {254, 0});
    drag(field, {300, -20}); // past the edge: the edge
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(pointer.confinements.size(), 1u); // confined once, at the press
    release(field, {254, 0});
    drag(field, {10, 10}); // no button down on the field any more
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(Surfaces, hidingDuringADragSetsThePointerFree)
{
    press(field, {100, 50});
    ASSERT_TRUE(pointer.confinement.has_value());
    host.hide(); // closed by a key while the button is still down
    EXPECT_FALSE(pointer.confinement.has_value());
    EXPECT_FALSE(model.fieldDragging());
}

TEST_F(Surfaces, fieldPaintsItsImageAndTheCursorOnlyWhenNotDragging)
{
    model.setCurrentColour(0x80FF80u); // (128, 255, 128): cursor at (85, 128)
    ASSERT_EQ(model.cursorPoint(), (Point{85, 128}));
    QImage shown = field->grab().toImage();
    EXPECT_EQ(shown.pixel(200, 200) & 0xFFFFFFu, model.fieldImage().pixels[200 * 255 + 200]);
    EXPECT_EQ(shown.pixel(85, 128) & 0xFFFFFFu, model.fieldImage().pixels[128 * 255 + 85]); // the ring is hollow
    EXPECT_GE(blackPixelsAround(shown, model.cursorPoint()), 20);

    // Dragging from the cursor's own point, so the cursor stays where it was.
    model.fieldPressed(85, 128);
    ASSERT_TRUE(model.fieldDragging());
    ASSERT_EQ(model.cursorPoint(), (Point{85, 128}));
    shown = field->grab().toImage();
    EXPECT_EQ(blackPixelsAround(shown, model.cursorPoint()), 0);
}

TEST_F(Surfaces, scaleAndMarkerArePainted)
{
    ASSERT_EQ(model.markerRow(), 167);
    const QImage grad = scale->grab().toImage();
    EXPECT_EQ(grad.pixel(10, 169) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(grad.pixel(0, 0) & 0xFFFFFFu, 0xFFFEFEu);
    EXPECT_EQ(grad.pixel(19, 254) & 0xFFFFFFu, 0u);

    MarkerStrip* strip = scale->markerStrip();
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->geometry(), QRect(563, 6, 21, 269));
    const QImage marker = strip->grab().toImage();
    const int y = MarkerStrip::Overhang + 167; // the marker's row in the strip
    auto black = [&](int x, int row) { return (marker.pixel(x, row) & 0xFFFFFFu) == 0; };
    EXPECT_TRUE(black(1, y));      // the tip, next to the scale
    EXPECT_FALSE(black(0, y));
    EXPECT_TRUE(black(7, y));
    EXPECT_FALSE(black(8, y));
    EXPECT_TRUE(black(7, y - 6));  // blunt end, one pixel
    EXPECT_FALSE(black(6, y - 6));
    EXPECT_FALSE(black(7, y - 7));
    EXPECT_TRUE(black(4, y + 3));
    EXPECT_FALSE(black(3, y + 3));
    EXPECT_FALSE(black(7, y + 7));
}

TEST_F(Surfaces, scaleDragGivesWhiteAboveAndBlackBelowWithoutConfining)
{
    QSignalSpy changed(scale, &BrightnessScale::colourChanged);
    press(scale, {10, 60});
    EXPECT_TRUE(model.scaleDragging());
    EXPECT_EQ(model.currentColour(), 0xA4A4FFu); // (255, 164, 164)
    EXPECT_EQ(host.focusWidget(), scale);
    EXPECT_TRUE(pointer.confinements.empty());
    drag(scale, {10, -20});
    EXPECT_EQ(model.currentColour(), White);
    drag(scale, {10, 300});
    EXPECT_EQ(model.currentColour(), 0u);
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(model.scaleBase(), Red); // the field's choice stays
    release(scale, {10, 300});
    EXPECT_FALSE(model.scaleDragging());
    EXPECT_EQ(pointer.confinements, (std::vector<std::optional<Rect>>{std::nullopt}));
}

TEST_F(Surfaces, markerStripHandsRowsBesideTheScaleOn)
{
    MarkerStrip* strip = scale->markerStrip();
    QSignalSpy changed(scale, &BrightnessScale::colourChanged);
    press(strip, {5, MarkerStrip::Overhang - 3}); // above the scale's top
    EXPECT_FALSE(model.scaleDragging());
    EXPECT_EQ(changed.count(), 0);

    press(strip, {15, MarkerStrip::Overhang + 200});
    EXPECT_TRUE(model.scaleDragging());
    EXPECT_EQ(model.currentColour(), 0x0000A2u); // (162, 0, 0), row 200 of the red scale
    EXPECT_EQ(host.focusWidget(), scale);
    drag(strip, {15, MarkerStrip::Overhang + 100});
    EXPECT_EQ(model.currentColour(), 0x6868FFu); // (255, 104, 104), row 100
    drag(strip, {15, -40}); // outside the rows beside the scale: not handed on
    EXPECT_EQ(model.currentColour(), 0x6868FFu);
    EXPECT_EQ(changed.count(), 2);
    release(strip, {15, -40}); // ends the drag all the same
    EXPECT_FALSE(model.scaleDragging());
}

} // namespace
