// The X11 backend against a real X server: a private Xvfb whose gamma ramp,
// windows and pointer the tests set up themselves.

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <variant>

#include "platform/platform.h"
#include "probe/lut.h"
#include "probe/sampler.h"
#include "support/printers.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;

namespace {

// Opens the backend on server whatever session the tests run in: a Wayland
// session would make it refuse.
std::variant<Platform, std::string> openPlatformOn(const Xvfb& server)
{
    const DisplaySession session = server.useAsDisplay();
    return openPlatform();
}

RampTable rampOf(std::uint16_t (*entry)(int))
{
    RampTable t{};
    for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = entry(i);
    return t;
}

// Compares a grabbed image with what is expected at each screen point of
// block, reports the first few differences and counts them all.
int wrongPixels(const ScreenImage& image, const Rect& block, const std::function<std::uint32_t(Point)>& expectedAt)
{
    int wrong = 0;
    for (int y = 0; y < block.height; ++y) {
        for (int x = 0; x < block.width; ++x) {
            const Point p{block.x + x, block.y + y};
            const std::uint32_t got = image.pixels[static_cast<std::size_t>(y * block.width + x)];
            const std::uint32_t expected = expectedAt(p);
            if (got != expected && wrong++ < 5)
                ADD_FAILURE() << "pixel (" << p.x << ", " << p.y << ") is " << std::hex << got << ", expected "
                              << expected;
        }
    }
    return wrong;
}

class X11Backend : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.running()) << m_server.error();
        auto opened = openPlatformOn(m_server);
        ASSERT_TRUE(std::holds_alternative<Platform>(opened)) << std::get<std::string>(opened);
        m_platform = std::move(std::get<Platform>(opened));
    }

    Xvfb& server() { return m_server; }
    Screen& screen() { return m_platform.screen; }
    Pointer& pointer() { return *m_platform.pointer; }

    Xvfb m_server;
    // The pointer backend keeps its state files here, not in the session's.
    TempDir m_runtimeDir{"tintora-runtime"};
    ScopedEnv m_runtimeEnv{"XDG_RUNTIME_DIR", m_runtimeDir.path()};
    Platform m_platform;
};

// The ramp is loaded through RandR and read back by the tick, so each case
// also proves the ramp is read afresh: all cases run on one connection.
TEST_F(X11Backend, tickReadsPixelAndRampUnderPointer)
{
    ASSERT_EQ(server().gammaSize(), 256) << "Xvfb's CRTC is expected to have a 256-entry ramp";
    struct Case {
        const char* name;
        RampTable red, green, blue;
        Colour pixel;
        RawEntries raw;
        Rgb lut;
    };
    const RampTable times257 = rampOf([](int i) { return static_cast<std::uint16_t>(i * 257); });
    const Case cases[] = {
        {"i*257 in all tables", times257, times257, times257, {200, 100, 0}, {51400, 25700, 0}, {201, 100, 0}},
        {"each channel its own table", rampOf([](int i) { return static_cast<std::uint16_t>(i * 256); }),
         rampOf([](int) { return std::uint16_t{0}; }), rampOf([](int) { return std::uint16_t{65535}; }),
         {100, 100, 100}, {25600, 0, 65535}, {100, 0, 255}},
    };
    const Rect where{700, 400, 120, 80};
    Sampler sampler;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(server().setGammaRamp(c.red, c.green, c.blue));
        SolidWindow window(server(), where, c.pixel);
        ASSERT_TRUE(window.shown());
        ASSERT_TRUE(server().warpPointer(window.centre()));

        const Sample& sample = sampler.samplePointer(screen(), pointer(), std::cerr);
        EXPECT_EQ(sample.at, window.centre());

        EXPECT_EQ(sample.bitmap, (Rgb{c.pixel.r, c.pixel.g, c.pixel.b}));
        ASSERT_TRUE(sample.ramp);
        const RawEntries raw = *sample.entries();
        EXPECT_EQ(raw.R, c.raw.R);
        EXPECT_EQ(raw.G, c.raw.G);
        EXPECT_EQ(raw.B, c.raw.B);
        EXPECT_EQ(sample.lut(), c.lut);
        const GammaTable& ramp = sample.ramp->ramp;
        for (std::size_t i = 0; i < 256; ++i) {
            ASSERT_EQ(ramp[i], c.red[i]) << "red entry " << i;
            ASSERT_EQ(ramp[256 + i], c.green[i]) << "green entry " << i;
            ASSERT_EQ(ramp[512 + i], c.blue[i]) << "blue entry " << i;
        }
    }
}

TEST_F(X11Backend, xvfbOffersAGammaRamp)
{
    EXPECT_TRUE(screen().ramps->canReadGammaRamp());
    RampReading reading;
    EXPECT_TRUE(screen().ramps->rampAt({1919, 1079}, reading));
    EXPECT_EQ(reading.output, "screen");
    RampReading off;
    off.output = "untouched";
    EXPECT_FALSE(screen().ramps->rampAt({-50, -50}, off)) << "a point off every monitor has no ramp";
    EXPECT_EQ(off.output, "untouched");
}

// Edges of the root read the windows there; a point no monitor shows is the
// invalid colour, never an X error that ends the process.
TEST_F(X11Backend, pixelReadsInsideAndOutsideTheRoot)
{
    SolidWindow topLeft(server(), {0, 0, 10, 10}, {200, 100, 0});
    SolidWindow bottomRight(server(), {1910, 1070, 10, 10}, {1, 2, 3});
    ASSERT_TRUE(topLeft.shown() && bottomRight.shown());
    struct Case {
        Point p;
        ColourValue expected; // red in the low byte
    };
    const Case cases[] = {
        {{0, 0}, 0x000064C8u},      {{1919, 1079}, 0x00030201u}, {{-5, -5}, InvalidColour},
        {{5000, 10}, InvalidColour}, {{-1, 0}, InvalidColour},    {{0, -1}, InvalidColour},
        {{1920, 0}, InvalidColour},  {{0, 1080}, InvalidColour},  {{1920, 1080}, InvalidColour},
    };
    for (const Case& c : cases)
        EXPECT_EQ(screen().pixels->pixel(c.p), c.expected) << "at (" << c.p.x << ", " << c.p.y << ")";
}

// One image is reused as the program reuses its magnifier buffer: each grab
// must have exactly the rect's size and no pixels left from the one before.
TEST_F(X11Backend, grabIsBlackWhereNoMonitorShows)
{
    const Colour green{10, 200, 30}, orange{200, 100, 0};
    SolidWindow topLeft(server(), {0, 0, 50, 50}, green);
    SolidWindow bottomRight(server(), {1880, 1040, 40, 40}, orange);
    ASSERT_TRUE(topLeft.shown() && bottomRight.shown());

    // What the screen shows at p: every on-root point the cases grab lies in
    // one of the two windows.
    auto expectedAt = [&](Point p) -> std::uint32_t {
        for (const SolidWindow* w : {&topLeft, &bottomRight}) {
            if (!w->rect().contains(p)) continue;
            const Colour c = w == &topLeft ? green : orange;
            return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
        }
        return 0;
    };
    struct Case {
        Rect rect;
        bool readable;
    };
    const Case cases[] = {
        {{5, 5, 20, 10}, true},          // all on the root
        {{-10, -5, 20, 10}, true},       // same size, partly off to the top-left
        {{1900, 1060, 40, 30}, true},    // partly off to the bottom-right
        {{-100, -100, 10, 10}, false},   // wholly off
    };
    ScreenImage image;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rect " << c.rect.x << "," << c.rect.y << " " << c.rect.width << "x"
                                        << c.rect.height);
        EXPECT_EQ(screen().pixels->grab(c.rect, image), c.readable);
        ASSERT_EQ(image.width, c.rect.width);
        ASSERT_EQ(image.height, c.rect.height);
        ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(c.rect.width * c.rect.height));
        EXPECT_EQ(wrongPixels(image, c.rect, expectedAt), 0);
    }
}

// Monitors of different sizes leave parts of the root that no monitor shows.
// Two RandR 1.5 monitors, a tall one on the left and a short one on the
// right, leave the root's bottom-right quarter bare; the server still draws a
// window there, but the grab must show it black, as the pixel read finds
// nothing there.
TEST_F(X11Backend, grabIsBlackWhereTheMonitorsLeaveAGap)
{
    const Rect left{0, 0, 960, 1080}, right{960, 0, 960, 540}, gap{960, 540, 960, 540};
    ASSERT_TRUE(server().runClient("xrandr", {"--setmonitor", "left", "960/254x1080/286+0+0", "screen"}));
    ASSERT_TRUE(server().runClient("xrandr", {"--setmonitor", "right", "960/254x540/143+960+0", "none"}));
    // The server sends no notice when monitors are set: a backend opened
    // now reads them.
    auto opened = openPlatformOn(server());
    ASSERT_TRUE(std::holds_alternative<Platform>(opened)) << std::get<std::string>(opened);
    Screen& screen = std::get<Platform>(opened).screen;
    ASSERT_EQ(screen.monitors->monitors(), (std::vector<Rect>{left, right}));

    // Over the corner where both monitors and the gap meet; shown() finds
    // its colour at its centre, in the gap.
    const Colour orange{200, 100, 0};
    const std::uint32_t orangePixel = 0x00C86400u;
    SolidWindow window(server(), {860, 440, 200, 200}, orange);
    ASSERT_TRUE(window.shown());

    const Rect blocks[] = {
        {850, 430, 220, 220}, // the window, both monitors, the gap and bare root around them
        {870, 450, 50, 50},   // inside the left monitor
        {1000, 460, 50, 50},  // inside the right monitor
        {950, 530, 30, 30},   // one pixel each way into both monitors, the rest in the gap
        {1000, 600, 40, 40},  // all in the gap
    };
    ScreenImage image;
    for (const Rect& block : blocks) {
        SCOPED_TRACE(testing::Message() << "block " << block.x << "," << block.y << " " << block.width << "x"
                                        << block.height);
        const std::optional<Screenshot> shot = Screenshot::take(server(), block);
        ASSERT_TRUE(shot);
        EXPECT_TRUE(screen.pixels->grab(block, image));
        ASSERT_EQ(image.width, block.width);
        ASSERT_EQ(image.height, block.height);
        // Black in the gap, what the root shows everywhere else.
        const auto expectedAt = [&](Point p) -> std::uint32_t {
            if (gap.contains(p)) return 0;
            const Colour c = shot->at({p.x - block.x, p.y - block.y});
            return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
        };
        EXPECT_EQ(wrongPixels(image, block, expectedAt), 0);
    }

    // The window's colour on both monitors, black in the gap, where the
    // pixel read finds nothing either.
    ASSERT_TRUE(screen.pixels->grab({959, 539, 2, 2}, image));
    EXPECT_EQ(image.pixels, (std::vector<std::uint32_t>{orangePixel, orangePixel, orangePixel, 0u}));
    EXPECT_EQ(screen.pixels->pixel({960, 539}), 0x000064C8u);
    EXPECT_EQ(screen.pixels->pixel({960, 540}), InvalidColour);
}

// A 16-bit server's pixels are no 32-bit words: the grab converts each one,
// and still puts the block where it belongs.
TEST_F(X11Backend, grabConvertsThePixelsOfA16BitServer)
{
    Xvfb::Options options;
    options.width = 640;
    options.height = 480;
    options.depth = 16;
    Xvfb server16(options);
    ASSERT_TRUE(server16.running()) << server16.error();
    auto opened = openPlatformOn(server16);
    ASSERT_TRUE(std::holds_alternative<Platform>(opened)) << std::get<std::string>(opened);
    Screen& screen16 = std::get<Platform>(opened).screen;
    // Full and empty levels survive 5 and 6 bits.
    SolidWindow window(server16, {0, 0, 30, 20}, {255, 0, 255});
    ASSERT_TRUE(window.shown());

    const Rect block{-10, -5, 30, 20}; // what of it lies on the root lies in the window
    ScreenImage image;
    ASSERT_TRUE(screen16.pixels->grab(block, image));
    ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(block.width * block.height));
    EXPECT_EQ(wrongPixels(image, block, [&](Point p) { return window.rect().contains(p) ? 0x00FF00FFu : 0u; }), 0);
}

// With no window manager there are no panels: the work area is the monitor.
// A second server of another size makes sure nothing assumes 1920 x 1080.
TEST_F(X11Backend, layoutWithoutWindowManager)
{
    Xvfb::Options options;
    options.width = 1280;
    options.height = 1024;
    Xvfb small(options);
    ASSERT_TRUE(small.running()) << small.error();
    auto opened = openPlatformOn(small);
    ASSERT_TRUE(std::holds_alternative<Platform>(opened)) << std::get<std::string>(opened);
    Platform& other = std::get<Platform>(opened);

    for (Monitors* s : {screen().monitors.get(), other.screen.monitors.get()}) {
        const Rect root = s == screen().monitors.get() ? Rect{0, 0, 1920, 1080} : Rect{0, 0, 1280, 1024};
        SCOPED_TRACE(testing::Message() << "root " << root.width << "x" << root.height);
        EXPECT_EQ(s->monitors(), std::vector<Rect>{root});
        EXPECT_EQ(s->virtualDesktop(), root);
        EXPECT_TRUE(s->knowsWorkAreas());
        EXPECT_EQ(s->primaryWorkArea(), root);
        EXPECT_EQ(s->workAreaAt({5000, -300}), root) << "a point off every monitor takes the nearest";
    }
}

TEST_F(X11Backend, pointerPositionAfterWarp)
{
    for (const Point p : {Point{0, 0}, Point{1919, 1079}, Point{37, 911}, Point{1500, 3}}) {
        ASSERT_TRUE(server().warpPointer(p));
        EXPECT_EQ(pointer().position(), p) << "warped to (" << p.x << ", " << p.y << ")";
    }
}

} // namespace
