#include <gtest/gtest.h>

#include <QTest>

#include "main_window_fixture.h"
#include "support/paint_counter.h"

using namespace tintora;

namespace {

struct Magnified : MainWindowFixture {
    Magnified()
    {
        fake.pointer.where = Point{500, 400};
        // A pattern around the pointer: each pixel's colour tells where it is.
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                fake.pixels.overrides[{500 + dx, 400 + dy}] =
                    static_cast<ColourValue>(((dx + 3) * 30) | (((dy + 3) * 30) << 8) | (0x40 << 16));
        form->probeTimer()->stop();
        form->moveWindow({300, 600});
        form->show();
    }
    // Picture pixel as 0x00RRGGBB.
    std::uint32_t at(int x, int y) const
    {
        const ScreenImage& b = magnifier->pictureBitmap();
        return b.pixels[static_cast<std::size_t>(y) * b.width + x];
    }
    static std::uint32_t rgbOf(int dx, int dy) { return ((dx + 3) * 30u) << 16 | ((dy + 3) * 30u) << 8 | 0x40u; }
};

} // namespace

TEST(MagnifierPicture, tickCapturesTheBlockAroundThePointer)
{
    Magnified m;
    m.state.options.zoom = 32; // a 7 x 7 block, about 29 picture pixels each
    m.form->toggleMagnifier();
    EXPECT_FALSE(m.magnifier->ui().picture->captured());
    EXPECT_EQ(m.magnifier->ui().coordinatesLabel->text(), "0 x 0");

    m.form->probeTick();
    ASSERT_TRUE(m.magnifier->ui().picture->captured());
    EXPECT_EQ(m.magnifier->pictureBitmap().width, 201);
    EXPECT_EQ(m.magnifier->ui().coordinatesLabel->text(), "500 x 400");
    EXPECT_EQ(m.magnifier->ui().coordinatesLabel->geometry().right() + 1, 200);
    EXPECT_EQ(m.at(100, 100), 0x00FF0000u);   // red centre on the pointer's pixel
    EXPECT_EQ(m.at(100, 60), 0u);             // crosshair
    EXPECT_EQ(m.at(0, 0), Magnified::rgbOf(-3, -3));
    EXPECT_EQ(m.at(200, 200), Magnified::rgbOf(3, 3));
    EXPECT_EQ(m.at(10, 130), Magnified::rgbOf(-3, 1));
    EXPECT_EQ(m.form->ui().magnifierButton->image(), ButtonImage::MagnifierShown);
}

TEST(MagnifierPicture, frozenProbeLeavesPictureAndLabel)
{
    Magnified m;
    m.form->toggleMagnifier();
    m.form->probeTick();
    const std::vector<std::uint32_t> before = m.magnifier->pictureBitmap().pixels;
    m.form->probeTimer()->start();
    m.form->toggleFreeze(); // frozen
    m.fake.pointer.where = Point{10, 10};
    // Nothing to wait for: the point is that nothing comes. Two probe
    // intervals give a tick that should not happen the time to show.
    QTest::qWait(2 * MainWindow::ProbeIntervalMs + 20);
    EXPECT_EQ(m.magnifier->pictureBitmap().pixels, before);
    EXPECT_EQ(m.magnifier->ui().coordinatesLabel->text(), "500 x 400");
    m.form->probeTimer()->stop();
}

// Under a resting pointer most ticks bring the same pixels: the picture is
// then neither redrawn nor repainted, except at zoom 0.5, whose block is
// larger than the picture and costs more to compare than to draw.
TEST(MagnifierPicture, samePixelsAsTheLastTickAreNotRepainted)
{
    Magnified m;
    m.form->toggleMagnifier();
    const test::PaintCounter paints(m.magnifier->ui().picture);
    auto tick = [&] {
        m.magnifier->capture({500, 400});
        QApplication::sendPostedEvents();
        QApplication::processEvents();
        return paints.count();
    };
    const int painted = tick();
    ASSERT_GT(painted, 0);
    EXPECT_EQ(tick(), painted) << "the same block repainted";
    m.fake.pixels.overrides[{501, 400}] = 0x00123456;
    EXPECT_EQ(tick(), painted + 1);
    EXPECT_EQ(tick(), painted + 1);
    m.state.options.zoom = 0.5;
    EXPECT_EQ(tick(), painted + 2);
    EXPECT_EQ(tick(), painted + 3) << "zoom 0.5 is drawn every tick";
}

TEST(ZoomMenu, choiceSetsZoomCheckMarkAndSlowSpeed)
{
    Magnified m;
    m.state.options.slowPointer = true;
    m.fake.pointer.currentSpeed = 10;
    m.form->toggleMagnifier();
    QAction* eight = m.magnifier->ui().zoomItems[5];
    ASSERT_EQ(eight->text(), "8x");
    ASSERT_EQ(eight->text(), "8x");
    eight->trigger();
    EXPECT_EQ(m.state.options.zoom, 8.0);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(m.magnifier->ui().zoomItems[i]->isChecked(), i == 5);
    EXPECT_EQ(m.fake.pointer.currentSpeed, 1);
    m.magnifier->ui().zoomItems[0]->trigger();
    EXPECT_EQ(m.state.options.zoom, 0.5);
}

TEST(ZoomKeys, exactlyCtrlWithTheMainKeyboardsPlusOrMinus)
{
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        double zoom;
    } cases[] = {
        {Qt::Key_Equal, Qt::ControlModifier, 3},
        {Qt::Key_Plus, Qt::ControlModifier, 3},
        {Qt::Key_Minus, Qt::ControlModifier, 1},
        {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, 2},
        {Qt::Key_Minus, Qt::ControlModifier | Qt::AltModifier, 2},
        {Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, 2},
        {Qt::Key_Plus, Qt::NoModifier, 2},
    };
    for (const auto& c : cases) {
        Magnified m;
        QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
        QApplication::sendEvent(m.form, &e);
        EXPECT_EQ(m.state.options.zoom, c.zoom) << c.key << " " << c.mods.toInt();
    }
}

TEST(ZoomKeys, offLadderValueUnchecksAndStepUnderCtrlKeepsSlowSpeed)
{
    Magnified m;
    m.state.options.slowPointer = true;
    m.state.options.zoom = 5;
    m.form->zoomChanged();
    for (QAction* a : m.magnifier->ui().zoomItems) EXPECT_FALSE(a->isChecked());
    QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(m.form, &ctrl);
    EXPECT_EQ(m.fake.pointer.currentSpeed, 10);
    QKeyEvent plus(QEvent::KeyPress, Qt::Key_Equal, Qt::ControlModifier);
    QApplication::sendEvent(m.form, &plus);
    EXPECT_EQ(m.state.options.zoom, 6);
    QApplication::sendEvent(m.form, &plus);
    QApplication::sendEvent(m.form, &plus);
    EXPECT_EQ(m.state.options.zoom, 8);
    EXPECT_TRUE(m.magnifier->ui().zoomItems[5]->isChecked());
    // The step's applySlowPointer comes after the Ctrl inversion of the same key.
    EXPECT_EQ(m.fake.pointer.currentSpeed, 1);
}
