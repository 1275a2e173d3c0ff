// The pointer-speed rules, the arrow keys' nudge, and the main window's
// pointer aids (axis locks, nudging, Ctrl speed) over the fake pointer and
// screen.

#include <gtest/gtest.h>

#include "core/commands.h"
#include "fake/fake_platform.h"
#include "pointer/pointer_aids.h"

using namespace tintora;

TEST(Nudge, onePixelAlongTheFreeAxes)
{
    const Rect desktop{-1920, 0, 3840, 1080};
    const Point p{100, 200};
    const struct {
        int key;
        bool rowLocked, columnLocked;
        std::optional<Point> target;
    } cases[] = {
        {keys::Left, false, false, Point{99, 200}},
        {keys::Right, false, false, Point{101, 200}},
        {keys::Up, false, false, Point{100, 199}},
        {keys::Down, false, false, Point{100, 201}},
        // The row lock holds the row, the column lock the column.
        {keys::Left, true, false, Point{99, 200}},
        {keys::Right, true, false, Point{101, 200}},
        {keys::Up, true, false, std::nullopt},
        {keys::Down, true, false, std::nullopt},
        {keys::Left, false, true, std::nullopt},
        {keys::Right, false, true, std::nullopt},
        {keys::Up, false, true, Point{100, 199}},
        {keys::Down, false, true, Point{100, 201}},
        {keys::Left, true, true, std::nullopt},
        {keys::Down, true, true, std::nullopt},
        {keys::Space, false, false, std::nullopt},
        {'L', false, false, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nudgeTarget(p, c.key, c.rowLocked, c.columnLocked, desktop), c.target)
            << "key " << c.key << " row " << c.rowLocked << " column " << c.columnLocked;
}

TEST(Nudge, staysOnTheDesktop)
{
    const Rect desktop{-1920, 0, 3840, 1080};
    EXPECT_EQ(nudgeTarget({-1920, 5}, keys::Left, false, false, desktop), std::nullopt);
    EXPECT_EQ(nudgeTarget({-1919, 5}, keys::Left, false, false, desktop), (Point{-1920, 5}));
    EXPECT_EQ(nudgeTarget({1919, 5}, keys::Right, false, false, desktop), std::nullopt);
    EXPECT_EQ(nudgeTarget({0, 0}, keys::Up, false, false, desktop), std::nullopt);
    EXPECT_EQ(nudgeTarget({0, 1079}, keys::Down, false, false, desktop), std::nullopt);
    EXPECT_EQ(nudgeTarget({0, 1078}, keys::Down, false, false, desktop), (Point{0, 1079}));
}

namespace {

constexpr Rect Desktop{-1280, 0, 3200, 1080};
const Rect Row200{-1280, 200, 3200, 1};

// The aids of a main window over the fakes: pointer at (100, 200), the
// user's speed 10.
struct Aids {
    explicit Aids(bool slowMouse)
    {
        state.userPointerSpeed = UserSpeed;
        state.options.slowPointer = slowMouse;
        fake.monitors.desktop = Desktop;
        fake.pointer.where = Point{100, 200};
    }
    // A key with the modifiers held once the press or release has happened.
    struct Held {
        bool alt = false, shift = false, ctrl = false;
    };
    void down(int key, Held h) { aids.keyDown(chord(key, h)); }
    void up(int key, Held h) { aids.keyUp(chord(key, h)); }
    static KeyChord chord(int key, Held h)
    {
        KeyChord k;
        k.key = key;
        k.alt = h.alt;
        k.shift = h.shift;
        k.ctrl = h.ctrl;
        return k;
    }

    fake::FakePlatform fake;
    ProgramState state;
    PointerAids aids{state, fake.pointer, fake.monitors};
};

} // namespace

TEST(AxisLocks, altThenShiftThenReleases)
{
    Aids a(false);
    a.down(keys::Alt, {.alt = true});
    EXPECT_TRUE(a.aids.rowLocked());
    EXPECT_EQ(a.fake.pointer.confinement, Row200);
    EXPECT_TRUE(a.state.altHeld);

    // Auto-repeat of the held Alt does not move the row.
    a.fake.pointer.where = Point{150, 200};
    a.down(keys::Alt, {.alt = true});
    EXPECT_EQ(a.fake.pointer.confinement, Row200);

    // Shift while Alt is down: the column through where the pointer got to.
    a.down(keys::Shift, {.alt = true, .shift = true});
    EXPECT_TRUE(a.aids.columnLocked());
    EXPECT_EQ(a.fake.pointer.confinement, (Rect{150, 0, 1, 1080}));
    EXPECT_EQ(a.aids.lockStart(), (Point{150, 200}));

    // Shift up, Alt still down: the column stays.
    a.up(keys::Shift, {.alt = true});
    EXPECT_FALSE(a.aids.columnLocked());
    EXPECT_TRUE(a.aids.rowLocked());
    EXPECT_EQ(a.fake.pointer.confinement, (Rect{150, 0, 1, 1080}));

    a.up(keys::Alt, {});
    EXPECT_FALSE(a.aids.rowLocked());
    EXPECT_FALSE(a.fake.pointer.confinement.has_value());
    EXPECT_FALSE(a.state.altHeld);
}

TEST(AxisLocks, shiftThenAltReleaseAltFirst)
{
    Aids a(false);
    a.down(keys::Shift, {.shift = true});
    EXPECT_EQ(a.fake.pointer.confinement, (Rect{100, 0, 1, 1080}));
    a.fake.pointer.where = Point{100, 640};
    a.down(keys::Alt, {.alt = true, .shift = true});
    EXPECT_EQ(a.fake.pointer.confinement, (Rect{-1280, 640, 3200, 1}));
    a.up(keys::Alt, {.shift = true});
    EXPECT_EQ(a.fake.pointer.confinement, (Rect{-1280, 640, 3200, 1}));
    EXPECT_TRUE(a.aids.columnLocked());
    a.up(keys::Shift, {});
    EXPECT_FALSE(a.fake.pointer.confinement.has_value());
}

TEST(AxisLocks, bothHeldAtOnceTakesTheColumn)
{
    Aids a(false);
    a.down('A', {.alt = true, .shift = true});
    EXPECT_TRUE(a.aids.rowLocked() && a.aids.columnLocked());
    EXPECT_EQ(a.fake.pointer.confinement, (Rect{100, 0, 1, 1080}));
    // An ordinary key released with no modifier lifts everything.
    a.up('A', {});
    EXPECT_FALSE(a.fake.pointer.confinement.has_value());
}

TEST(AxisLocks, arrowsWarpOnePixelAlongTheAxisLeftFree)
{
    Aids a(false);
    a.down(keys::Alt, {.alt = true});
    a.down(keys::Up, {.alt = true});
    EXPECT_TRUE(a.fake.pointer.moves.empty()) << "the row lock holds the row";
    a.down(keys::Left, {.alt = true});
    ASSERT_EQ(a.fake.pointer.moves.size(), 1u);
    EXPECT_EQ(a.fake.pointer.moves.back(), (Point{99, 200}));
    // Where the pointer cannot be read, it is not moved.
    a.fake.pointer.where.reset();
    a.down(keys::Right, {.alt = true});
    EXPECT_EQ(a.fake.pointer.moves.size(), 1u);
}

TEST(PointerSpeed, ctrlInvertsTheSlowOption)
{
    const struct {
        bool slow;
        int whileCtrl, afterRelease;
    } cases[] = {{true, 10, 1}, {false, 1, 10}};
    for (const auto& c : cases) {
        Aids a(c.slow);
        a.down(keys::Control, {.ctrl = true});
        EXPECT_EQ(a.fake.pointer.currentSpeed, c.whileCtrl);
        EXPECT_TRUE(a.state.ctrlHeld);
        a.up(keys::Control, {});
        EXPECT_EQ(a.fake.pointer.currentSpeed, c.afterRelease);
        EXPECT_FALSE(a.state.ctrlHeld);
    }
}

TEST(PointerSpeed, liftEndsLocksAndInversionAndSetsOnlyWhatDiffers)
{
    Aids a(true);
    a.fake.pointer.currentSpeed = 1;
    a.down(keys::Alt, {.alt = true, .ctrl = true});
    ASSERT_TRUE(a.fake.pointer.confinement.has_value());
    ASSERT_EQ(a.fake.pointer.currentSpeed, 10);
    a.aids.lift();
    EXPECT_FALSE(a.fake.pointer.confinement.has_value());
    EXPECT_FALSE(a.aids.rowLocked() || a.aids.columnLocked());
    EXPECT_FALSE(a.state.altHeld || a.state.ctrlHeld);
    EXPECT_EQ(a.fake.pointer.currentSpeed, 1);

    // Nothing held: the pointer is neither released nor given a speed.
    const auto confinements = a.fake.pointer.confinements.size();
    const auto speeds = a.fake.pointer.speedsSet.size();
    a.aids.lift();
    EXPECT_EQ(a.fake.pointer.confinements.size(), confinements);
    EXPECT_EQ(a.fake.pointer.speedsSet.size(), speeds);
}

TEST(PointerSpeed, giveBackRestoresTheUsersSpeedAndFreesThePointer)
{
    Aids a(true);
    a.fake.pointer.currentSpeed = 1;
    a.down(keys::Shift, {.shift = true});
    a.aids.giveBack();
    EXPECT_EQ(a.fake.pointer.currentSpeed, 10);
    EXPECT_EQ(a.fake.pointer.speedsSet.back(), 10);
    EXPECT_FALSE(a.fake.pointer.confinement.has_value());
    EXPECT_FALSE(a.aids.rowLocked() || a.aids.columnLocked());
}

TEST(RefusedPointerAids, eachRefusalIsSaidOnceAndItsAidDoesNothing)
{
    const std::string speed =
        "this session does not let programs set the pointer speed; the slow pointer is unavailable.";
    const std::string lines = "this session does not let programs hold the pointer on a line; the Alt and Shift "
                              "axis locks are unavailable.";
    const std::string moves = "this session does not let programs move the pointer; the arrow keys do not nudge it.";
    const std::string noXInput = "the X server offers no X Input extension; the slow pointer is unavailable.";
    const struct {
        bool speedSettable, confinable, movable;
        std::vector<std::string> notices;
        // Why the system refuses the speed, as the backend says it.
        std::string speedRefusal = "this session does not let programs set the pointer speed";
    } cases[] = {
        {true, true, true, {}},
        {false, true, true, {speed}},
        {true, false, true, {lines}},
        {true, true, false, {moves}},
        // Wayland.
        {false, false, false, {speed, lines, moves}},
        // An X server without the extension the speed is set through.
        {false, true, true, {noXInput}, "the X server offers no X Input extension"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "speed " << c.speedSettable << " confine " << c.confinable << " move "
                                        << c.movable);
        Aids a(true);
        a.fake.pointer.speedSettable = c.speedSettable;
        a.fake.pointer.confinable = c.confinable;
        a.fake.pointer.movable = c.movable;
        a.fake.pointer.speedRefusal = c.speedRefusal;
        EXPECT_EQ(refusedPointerAids(a.fake.pointer), c.notices);

        // Every aid asked for: Ctrl's speed, both locks, a nudge along the
        // held row, the releases, switching away, the close.
        a.aids.applySlowPointer();
        a.down(keys::Control, {.ctrl = true});
        a.down(keys::Alt, {.alt = true, .ctrl = true});
        // No lock is taken where none can hold: the arrow keys are not held
        // to a line the pointer is not on.
        EXPECT_EQ(a.aids.rowLocked(), c.confinable);
        a.down(keys::Right, {.alt = true, .ctrl = true});
        a.down(keys::Shift, {.alt = true, .shift = true, .ctrl = true});
        EXPECT_EQ(a.aids.columnLocked(), c.confinable);
        EXPECT_TRUE(a.state.altHeld && a.state.ctrlHeld) << "the swatch click still reads them";
        a.up(keys::Shift, {});
        a.down(keys::Alt, {.alt = true});
        a.aids.lift();
        a.aids.otherWindowKeyDown(Aids::chord(keys::Control, {.ctrl = true}));
        a.aids.otherWindowKeyUp(Aids::chord(keys::Control, {}));
        a.aids.applyConfiguredSpeed();
        a.aids.giveBack();

        EXPECT_EQ(a.fake.pointer.speedsSet.empty(), !c.speedSettable);
        EXPECT_EQ(a.fake.pointer.confinements.empty(), !c.confinable);
        const std::vector<Point> nudged = c.movable ? std::vector<Point>{{101, 200}} : std::vector<Point>{};
        EXPECT_EQ(a.fake.pointer.moves, nudged);
    }
}

// Once the close has given the pointer back, or the display has gone, no key
// of any window and no later call takes the pointer again.
TEST(PointerAids, nothingTouchesThePointerOnceTheRunIsOver)
{
    const struct {
        const char* how;
        void (PointerAids::*end)();
    } endings[] = {{"given back", &PointerAids::giveBack}, {"display gone", &PointerAids::stopWithoutGivingBack}};
    for (const auto& e : endings) {
        SCOPED_TRACE(e.how);
        Aids a(true);
        a.down(keys::Alt, {.alt = true});
        (a.aids.*e.end)();
        a.fake.pointer.currentSpeed = 7; // a speed the user set meanwhile
        const auto speeds = a.fake.pointer.speedsSet.size();
        const auto confinements = a.fake.pointer.confinements.size();

        a.down(keys::Control, {.ctrl = true});
        a.down(keys::Shift, {.shift = true, .ctrl = true});
        a.down(keys::Right, {.shift = true, .ctrl = true});
        a.up(keys::Shift, {});
        a.aids.otherWindowKeyDown(Aids::chord(keys::Control, {.ctrl = true}));
        a.aids.otherWindowKeyUp(Aids::chord(keys::Control, {}));
        a.aids.applySlowPointer();
        a.aids.applyConfiguredSpeed();
        a.aids.releaseLocks();
        a.aids.restoreConfiguredSpeed();
        a.aids.lift();
        a.aids.giveBack();

        EXPECT_EQ(a.fake.pointer.speedsSet.size(), speeds);
        EXPECT_EQ(a.fake.pointer.currentSpeed, 7);
        EXPECT_EQ(a.fake.pointer.confinements.size(), confinements);
        EXPECT_TRUE(a.fake.pointer.moves.empty());
        EXPECT_FALSE(a.aids.rowLocked() || a.aids.columnLocked());
    }
}

TEST(PointerSpeed, otherWindowsInvertWithCtrlAndEveryReleaseSetsTheConfiguredSpeed)
{
    const struct {
        bool slow;
        int whileCtrl, afterRelease;
    } cases[] = {{true, 10, 1}, {false, 1, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slow);
        Aids a(c.slow);
        a.aids.otherWindowKeyDown(Aids::chord('Q', {}));
        EXPECT_TRUE(a.fake.pointer.speedsSet.empty()) << "a key without Ctrl";
        a.aids.otherWindowKeyDown(Aids::chord(keys::Control, {.ctrl = true}));
        EXPECT_EQ(a.fake.pointer.currentSpeed, c.whileCtrl);
        // Ctrl still down: the release of another key ends the inversion.
        a.aids.otherWindowKeyUp(Aids::chord('Q', {.ctrl = true}));
        EXPECT_EQ(a.fake.pointer.currentSpeed, c.afterRelease);
        // No locks and no held keys from another window.
        a.aids.otherWindowKeyDown(Aids::chord(keys::Alt, {.alt = true, .shift = true, .ctrl = true}));
        EXPECT_FALSE(a.fake.pointer.confinement.has_value());
        EXPECT_FALSE(a.state.altHeld || a.state.ctrlHeld);
    }
}
