// The real program's windows under real window managers, each on a private
// Xvfb of its own: openbox (a plain stacking manager) and xfwm4 with an
// xfce4-panel across the top, whose strut makes the work area smaller than
// the screen. Driven as a user drives them (XTest clicks, keys and drags),
// read back from what the managers publish (EWMH and ICCCM properties, the
// stacking order, the keyboard focus).

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "support/printers.h"
#include "support/program_fixture.h"
#include "support/window_manager.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr auto StepTimeout = 10000ms;
constexpr int MainWidth = 203;
constexpr int MainHeight = 110;
constexpr int MagnifierSize = 203;
constexpr const char* HelpTitle = "Справка";
constexpr const char* SettingsTitle = "Настройки";
constexpr const char* ColourDialogTitle = "Цвет";
// Places of the main window, relative to its top-left corner: its body
// between the two columns (a press there drags the window), the pin and the
// swatch.
constexpr Point Body{120, 60};
constexpr Point PinButton{156 + 11, 1 + 10};
constexpr Point Swatch{142 + 25, 47 + 25};
// Under the pointer while the readouts are read: (200, 100, 0), which the
// identity ramp passes unchanged.
const Colour Sampled{200, 100, 0};
const std::string DecimalReadout = "Bitmap 200 100 0 |";
const std::string HexadecimalReadout = "Bitmap C8 64 00 |";

Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point topLeft(const Rect& r) { return {r.x, r.y}; }

// The value of a key of the desktop entry in the repository.
std::string desktopEntryValue(const std::string& key)
{
    std::ifstream entry(TINTORA_DESKTOP_ENTRY);
    std::string line;
    while (std::getline(entry, line))
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return {};
}

class ProgramUnderWindowManager : public ProgramFixture, public ::testing::WithParamInterface<WindowManagerKind> {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProgramFixture::SetUp());
        m_manager.emplace(m_server, GetParam());
        ASSERT_TRUE(m_manager->error().empty()) << m_manager->error();
        // The colour the readouts show, away from every window of the tests.
        m_colour.emplace(m_server, Rect{1500, 700, 200, 200}, Sampled);
        ASSERT_TRUE(m_colour->shown());
    }

    void TearDown() override
    {
        m_program.reset();
        if (!m_manager) return;
        EXPECT_EQ(m_manager->stop(), std::vector<std::string>{}) << "processes of the desktop that needed SIGKILL";
    }

    // Starts the program and waits until its main window is mapped and has
    // the keyboard.
    void start(const std::vector<std::string>& args = {"-x", "100", "-y", "200"})
    {
        m_program.reset();
        m_program.emplace(m_server, m_directory,
                          RunningProgram::Launch{args, m_manager->clientEnvironment(), {}, {}});
        std::string why;
        m_main = m_program->waitUntilReady(why);
        ASSERT_TRUE(m_main) << why << "\n" << context();
    }

    std::string context() const
    {
        return "manager " + m_manager->name() + "; " + (m_program ? m_program->transcript() : "") + "manager's log:\n" +
               m_manager->log();
    }

    Rect mainRect() { return clientRect(m_server, m_main->id).value_or(Rect{}); }

    // A click of the first button at p, through XTest.
    bool clickAt(Point p)
    {
        return m_devices.warpTo(p) && m_server.runClient("xdotool", {"click", "1"});
    }

    // A click on the main window's body, as a user gives it the keyboard.
    void clickMainWindow()
    {
        ASSERT_TRUE(clickAt(topLeft(mainRect()) + Body));
        ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(m_server, m_main->id); }))
            << "a click on the main window did not give it the keyboard; " << context();
    }

    // Presses the first button on the main window's body, moves the pointer
    // until the window's corner would be at proposed and releases it; the
    // window's place then (once it is expected, or the step's time is up).
    Rect drag(Point proposed, Point expected)
    {
        const Point corner = topLeft(mainRect());
        const Point from = corner + Body;
        EXPECT_TRUE(m_devices.warpTo(from));
        EXPECT_TRUE(m_server.runClient("xdotool", {"mousedown", "1"}));
        // A first small step, as a hand makes, then the rest.
        EXPECT_TRUE(m_devices.warpTo(from + Point{1, 1}));
        EXPECT_TRUE(m_devices.warpTo(proposed + Body));
        waitUntil(StepTimeout, [&] { return topLeft(mainRect()) == expected; });
        EXPECT_TRUE(m_server.runClient("xdotool", {"mouseup", "1"}));
        return mainRect();
    }

    // The latest line of the readouts' trace contains text, within the
    // step's time.
    bool latestReadoutShows(const std::string& text)
    {
        return waitUntil(StepTimeout, [&] {
            std::string trace = m_program->trace();
            if (!trace.empty() && trace.back() == '\n') trace.pop_back();
            return trace.substr(trace.rfind('\n') + 1).find(text) != std::string::npos;
        });
    }

    // The keyboard comes back to the main window (a user sees the window
    // that closed go and types on), and Ctrl+H, a command of the main window
    // alone, switches its readouts between decimal and hexadecimal.
    void expectKeysReachTheMainWindow()
    {
        ASSERT_TRUE(m_devices.warpTo(m_colour->centre()));
        ASSERT_TRUE(latestReadoutShows(m_hexadecimal ? HexadecimalReadout : DecimalReadout)) << context();
        ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(m_server, m_main->id); }))
            << "the keyboard did not come back to the main window; the active window is " << activeWindow(m_server)
            << ", the main window " << m_main->id << "; " << context();
        ASSERT_TRUE(m_keyboard.tap({"Control_L", "h"}));
        ASSERT_TRUE(latestReadoutShows(!m_hexadecimal ? HexadecimalReadout : DecimalReadout))
            << "Ctrl+H did not reach the main window; " << context();
        m_hexadecimal = !m_hexadecimal;
    }

    // Whether the manager gave window a frame with a title bar, in time.
    bool hasTitleBar(unsigned long window)
    {
        std::optional<std::array<long, 4>> frame;
        const bool titled = waitUntil(StepTimeout, [&] {
            frame = frameExtents(m_server, window);
            return frame && (*frame)[2] > 0;
        });
        EXPECT_TRUE(titled) << "no title bar: frame " << ::testing::PrintToString(frame);
        return titled;
    }

    // Waits until the window's frame (the extents the manager gives it
    // around the window) stands centred over `over`, no further left or up
    // than the work area, as the program places a window the first time.
    void expectFrameCentredOver(unsigned long window, Rect over)
    {
        const auto frame = frameExtents(m_server, window).value_or(std::array<long, 4>{});
        const Rect client = clientRect(m_server, window).value_or(Rect{});
        const Rect area = m_manager->workArea();
        const int outerWidth = client.width + static_cast<int>(frame[0] + frame[1]);
        const int outerHeight = client.height + static_cast<int>(frame[2] + frame[3]);
        const Rect centred{std::max(area.x, over.x + (over.width - outerWidth) / 2) + static_cast<int>(frame[0]),
                           std::max(area.y, over.y + (over.height - outerHeight) / 2) + static_cast<int>(frame[2]),
                           client.width, client.height};
        std::optional<Rect> shown;
        EXPECT_TRUE(waitUntil(StepTimeout, [&] {
            shown = clientRect(m_server, window);
            return shown == centred;
        })) << "at " << ::testing::PrintToString(shown) << " in the frame " << ::testing::PrintToString(frame)
            << ", not " << ::testing::PrintToString(centred);
    }

    // Tab shows the magnifier, F1 the help window; the magnifier and the
    // help window once both are there.
    std::optional<std::pair<TopLevel, TopLevel>> showMagnifierAndHelp()
    {
        if (!m_keyboard.tap({"Tab"})) return std::nullopt;
        const auto magnifier = m_server.waitForTopLevel("Magnifier", StepTimeout);
        // The magnifier hands the keyboard back to the main window.
        if (!magnifier || !waitUntil(StepTimeout, [&] { return hasFocus(m_server, m_main->id); }) ||
            !m_keyboard.tap({"F1"}))
            return std::nullopt;
        const auto help = m_server.waitForTopLevel(HelpTitle, StepTimeout);
        if (!help) return std::nullopt;
        return std::pair{*magnifier, *help};
    }

    // The dialog titled title comes, framed, with the keyboard; Esc closes it.
    void closeDialogWithEscape(const char* title)
    {
        const auto dialog = m_server.waitForTopLevel(title, StepTimeout);
        ASSERT_TRUE(dialog) << "no " << title << "; " << context();
        ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(m_server, dialog->id); })) << context();
        EXPECT_TRUE(hasTitleBar(dialog->id));
        ASSERT_TRUE(m_keyboard.tap({"Escape"}));
        ASSERT_TRUE(waitUntil(StepTimeout, [&] { return !m_server.findTopLevel(title); })) << context();
    }

    // Where window stands in the manager's stacking order (-1: not there).
    long stackingIndex(unsigned long window)
    {
        const auto stacking = clientStacking(m_server);
        const auto it = std::find(stacking.begin(), stacking.end(), window);
        return it == stacking.end() ? -1 : it - stacking.begin();
    }

    bool waitForAbove(unsigned long upper, unsigned long lower)
    {
        return waitUntil(StepTimeout, [&] { return stackingIndex(upper) > stackingIndex(lower); });
    }

    std::optional<WindowManager> m_manager;
    std::optional<SolidWindow> m_colour;
    std::optional<RunningProgram> m_program;
    std::optional<TopLevel> m_main;
    bool m_hexadecimal = false;
};

// Started with -x and -y the window stands there, whatever the manager's own
// placement would do; without them it is centred in the work area the
// manager publishes (below the panel, under Xfce). Either way the manager
// takes it in without a frame.
TEST_P(ProgramUnderWindowManager, startsWhereAskedOrCentredInTheWorkArea)
{
    const Rect area = m_manager->workArea();
    struct Case {
        std::vector<std::string> args;
        Point topLeft;
    };
    const Case cases[] = {
        {{"-x", "100", "-y", "200"}, {100, 200}},
        {{}, {area.x + (area.width - MainWidth) / 2, area.y + (area.height - MainHeight) / 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        ASSERT_NO_FATAL_FAILURE(start(c.args));
        EXPECT_TRUE(waitUntil(StepTimeout, [&] { return topLeft(mainRect()) == c.topLeft; }))
            << "at " << ::testing::PrintToString(mainRect()) << ", work area "
            << ::testing::PrintToString(area) << "; " << context();
        EXPECT_EQ(mainRect().width, MainWidth);
        EXPECT_EQ(mainRect().height, MainHeight);
        EXPECT_TRUE(waitUntil(StepTimeout, [&] {
            const auto clients = clientList(m_server);
            return std::find(clients.begin(), clients.end(), m_main->id) != clients.end();
        })) << "not managed";
        EXPECT_EQ(frameExtents(m_server, m_main->id).value_or(std::array<long, 4>{}), (std::array<long, 4>{}))
            << "the main window got a frame";
        m_program.reset();
        ASSERT_TRUE(waitUntil(StepTimeout, [&] { return !m_server.findTopLevel("Tintora"); }));
    }
}

// Pinned, the main window stays above another application's window that the
// user raises over it with a click; unpinned it goes under it.
TEST_P(ProgramUnderWindowManager, pinKeepsTheMainWindowAboveAWindowRaisedOverIt)
{
    ASSERT_NO_FATAL_FAILURE(start());
    // Over the main window's lower left part; its pin stays uncovered.
    const Colour blue{0, 64, 255};
    OtherApplicationWindow other(m_server, {0, 250, 250, 300}, blue, "Other application");
    ASSERT_TRUE(other.managed()) << context();
    // Where both windows lie: the main window's background, or blue.
    const Point overlap{110, 305};
    const Point onOther{50, 500};
    const Point pin = topLeft(mainRect()) + PinButton;

    struct Step {
        const char* what;
        bool pinned;
    };
    for (const Step& step : {Step{"pinned", true}, Step{"unpinned", false}, Step{"pinned again", true}}) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(clickAt(pin));
        ASSERT_TRUE(waitUntil(StepTimeout, [&] {
            return hasNetWmState(m_server, m_main->id, "_NET_WM_STATE_ABOVE") == step.pinned;
        })) << ::testing::PrintToString(netWmState(m_server, m_main->id));
        // The user raises the other window with a click on it.
        ASSERT_TRUE(clickAt(onOther));
        ASSERT_TRUE(waitUntil(StepTimeout, [&] { return activeWindow(m_server) == other.id(); })) << context();
        if (step.pinned) {
            EXPECT_TRUE(waitForAbove(m_main->id, other.id())) << "the pinned window went under the other one";
            EXPECT_TRUE(waitUntil(StepTimeout, [&] { return m_server.rootPixel(overlap) != blue; }));
        } else {
            EXPECT_TRUE(waitForAbove(other.id(), m_main->id)) << "the unpinned window stayed above";
            EXPECT_TRUE(waitUntil(StepTimeout, [&] { return m_server.rootPixel(overlap) == blue; }));
        }
    }
}

// Dragged by its body, the main window snaps to the edges of the work area
// (the panel's edge, not the screen's), and the magnifier stands on it all
// the way.
TEST_P(ProgramUnderWindowManager, dragSnapsToTheWorkAreaAndTheMagnifierFollows)
{
    ASSERT_NO_FATAL_FAILURE(start({"-x", "700", "-y", "500"}));
    const Rect area = m_manager->workArea();
    struct Case {
        const char* what;
        Point proposed; // where the drag takes the window's corner
        Point expected;
    };
    const int right = area.x + area.width - MainWidth;
    const Case cases[] = {
        {"6 below the work area's top", {700, area.y + 6}, {700, area.y}},
        {"4 above the work area's top", {700, area.y - 4}, {700, area.y}},
        {"10 below the top: left alone", {700, area.y + 10}, {700, area.y + 10}},
        {"7 from the right", {right - 7, 400}, {right, 400}},
        {"9 from the left", {area.x + 9, 400}, {area.x, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Rect moved = drag(c.proposed, c.expected);
        EXPECT_EQ(topLeft(moved), c.expected) << "work area " << ::testing::PrintToString(area) << "; " << context();
    }

    // Tab shows the magnifier standing on the main window; it follows the
    // drags exactly, with the framed help window open beside them, and the
    // keyboard stays with the main window.
    ASSERT_EQ(topLeft(drag({600, 500}, {600, 500})), (Point{600, 500}));
    const auto shown = showMagnifierAndHelp();
    ASSERT_TRUE(shown) << context();
    const auto& [magnifier, help] = *shown;
    ASSERT_TRUE(hasTitleBar(help.id));
    expectFrameCentredOver(help.id, m_manager->workArea());
    // Out of the drags' way, as a user would move it once it is there.
    ASSERT_TRUE(m_server.runClient("xdotool", {"windowmove", std::to_string(help.id), "1250", "100"}));
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return clientRect(m_server, help.id).value_or(Rect{}).x >= 1250; }));
    for (const Point to : {Point{600, 500}, Point{900, 600}, Point{300, 450}}) {
        SCOPED_TRACE(::testing::PrintToString(to));
        const Rect main = drag(to, to);
        ASSERT_EQ(topLeft(main), to) << context();
        const Rect docked{main.x, main.y - MagnifierSize, MagnifierSize, MagnifierSize};
        std::optional<Rect> standing;
        EXPECT_TRUE(waitUntil(StepTimeout, [&] {
            standing = clientRect(m_server, magnifier.id);
            return standing == docked;
        })) << "magnifier at " << ::testing::PrintToString(standing) << "; " << context();
        EXPECT_EQ(frameExtents(m_server, magnifier.id).value_or(std::array<long, 4>{}), (std::array<long, 4>{}))
            << "the magnifier got a frame";
    }
    // The drags gave the main window the keyboard: F1 there closes the help.
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(m_server, m_main->id); }));
    ASSERT_TRUE(m_keyboard.tap({"F1"}));
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return !m_server.findTopLevel(HelpTitle); })) << context();
    ASSERT_NO_FATAL_FAILURE(expectKeysReachTheMainWindow());
}

// F1 shows the help window in an ordinary frame; minimised, F1 brings it back
// rather than closing it; Esc closes it and the keys go back to the main
// window.
TEST_P(ProgramUnderWindowManager, helpWindowIsFramedComesBackFromMinimisedAndHandsTheKeysBack)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(m_keyboard.tap({"F1"}));
    const auto help = m_server.waitForTopLevel(HelpTitle, StepTimeout);
    ASSERT_TRUE(help) << context();
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(m_server, help->id); })) << context();
    ASSERT_TRUE(hasTitleBar(help->id));
    // Centred in the work area, the frame the manager adds included.
    expectFrameCentredOver(help->id, m_manager->workArea());
    const Rect helpRect = clientRect(m_server, help->id).value_or(Rect{});
    // Shown as the program shows it: activated, in the topmost band, the
    // page painted; only then does a user reach for its minimise button.
    ASSERT_TRUE(waitUntil(StepTimeout, [&] {
        return activeWindow(m_server) == help->id && hasNetWmState(m_server, help->id, "_NET_WM_STATE_ABOVE") &&
               m_server.rootPixel({helpRect.x + helpRect.width - 20, helpRect.y + helpRect.height - 20}) ==
                   Colour{0xFF, 0xFF, 0xDD};
    })) << context();

    // Minimised, as its title bar's button or the task bar does it.
    ASSERT_TRUE(iconify(m_server, help->id));
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return wmState(m_server, help->id) == 3; })) << context();
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasNetWmState(m_server, help->id, "_NET_WM_STATE_HIDDEN"); }));
    ASSERT_NO_FATAL_FAILURE(clickMainWindow());
    ASSERT_TRUE(m_keyboard.tap({"F1"}));
    EXPECT_TRUE(waitUntil(StepTimeout, [&] {
        return wmState(m_server, help->id) == 1 && !hasNetWmState(m_server, help->id, "_NET_WM_STATE_HIDDEN") &&
               hasFocus(m_server, help->id);
    })) << "F1 did not bring the minimised help back with the keyboard: WM_STATE "
        << wmState(m_server, help->id).value_or(0) << ", _NET_WM_STATE "
        << ::testing::PrintToString(netWmState(m_server, help->id)) << ", focused "
        << hasFocus(m_server, help->id) << "; " << context();

    ASSERT_TRUE(m_keyboard.tap({"Escape"}));
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return !m_server.findTopLevel(HelpTitle); })) << context();
    ASSERT_NO_FATAL_FAILURE(expectKeysReachTheMainWindow());
}

// After the settings dialog and the colour dialog close, the next key press
// reaches the main window.
TEST_P(ProgramUnderWindowManager, keysReachTheMainWindowAfterTheDialogsClose)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(m_devices.warpTo(m_colour->centre()));

    ASSERT_TRUE(m_keyboard.tap({"Control_L", "s"}));
    // Centred over the main window, the frame the manager adds included.
    const auto settings = m_server.waitForTopLevel(SettingsTitle, StepTimeout);
    ASSERT_TRUE(settings && hasTitleBar(settings->id)) << context();
    expectFrameCentredOver(settings->id, mainRect());
    ASSERT_NO_FATAL_FAILURE(closeDialogWithEscape(SettingsTitle));
    ASSERT_NO_FATAL_FAILURE(expectKeysReachTheMainWindow());

    // Frozen, the swatch opens the colour dialog.
    ASSERT_TRUE(m_keyboard.tap({"space"}));
    ASSERT_NO_FATAL_FAILURE(waitUntilKeysHandled());
    ASSERT_TRUE(clickAt(topLeft(mainRect()) + Swatch));
    ASSERT_NO_FATAL_FAILURE(closeDialogWithEscape(ColourDialogTitle));
    ASSERT_NO_FATAL_FAILURE(expectKeysReachTheMainWindow());
}

// A click on another application and one back: the shortcuts and the axis
// locks work again; a lock ends when the keyboard goes to the other
// application while its key is still down.
TEST_P(ProgramUnderWindowManager, focusAnotherApplicationAndBack)
{
    ASSERT_NO_FATAL_FAILURE(start());
    OtherApplicationWindow other(m_server, {900, 100, 400, 300}, {0, 160, 0}, "Other application");
    ASSERT_TRUE(other.managed()) << context();

    struct Lock {
        const char* key;
        bool row;
    };
    for (const Lock lock : {Lock{"Alt_L", true}, Lock{"Shift_L", false}}) {
        SCOPED_TRACE(lock.key);
        ASSERT_TRUE(clickAt({1100, 250}));
        ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(m_server, other.id()); })) << context();
        ASSERT_NO_FATAL_FAILURE(clickMainWindow());
        ASSERT_NO_FATAL_FAILURE(expectKeysReachTheMainWindow());

        ASSERT_TRUE(m_devices.warpTo({700, 600}));
        ASSERT_TRUE(m_keyboard.press(lock.key));
        ASSERT_TRUE(m_devices.waitForLock(lock.row, true)) << "the lock did not come; " << context();
        // The other application takes the keyboard (as a task bar gives it)
        // while the key is still down: the pointer is free at once.
        ASSERT_TRUE(activate(m_server, other.id()));
        ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(m_server, other.id()); })) << context();
        EXPECT_TRUE(m_devices.waitForLock(lock.row, false)) << "the lock outlasted the focus; " << context();
        ASSERT_TRUE(m_keyboard.release(lock.key));
    }
}

// What task bars and switchers show: the titles, the class the desktop entry
// names, the program's icon; the main window and the help window are listed,
// the magnifier, part of the main window's frameless look, is not.
TEST_P(ProgramUnderWindowManager, titlesClassIconAndTaskBarEntries)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const auto shown = showMagnifierAndHelp();
    ASSERT_TRUE(shown) << context();
    const auto& [magnifier, help] = *shown;

    const std::string startupClass = desktopEntryValue("StartupWMClass");
    ASSERT_FALSE(startupClass.empty()) << "the desktop entry names no StartupWMClass";
    struct Expected {
        unsigned long window;
        const char* title;
        bool listed;
    };
    for (const Expected& e : {Expected{m_main->id, "Tintora", true}, Expected{help.id, HelpTitle, true},
                              Expected{magnifier.id, "Magnifier", false}}) {
        SCOPED_TRACE(e.title);
        const auto t = m_server.findTopLevel(e.title);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->netWmName, e.title);
        EXPECT_EQ(wmClass(m_server, e.window), (std::vector<std::string>{startupClass, startupClass}));
        const auto sizes = iconSizes(m_server, e.window);
        for (const int size : {16, 32, 48})
            EXPECT_NE(std::find(sizes.begin(), sizes.end(), std::pair{size, size}), sizes.end())
                << "no " << size << " x " << size << " icon among " << ::testing::PrintToString(sizes);
        // Read once the manager has taken the window in.
        ASSERT_TRUE(waitUntil(StepTimeout, [&] { return wmState(m_server, e.window) == 1; }));
        EXPECT_EQ(hasNetWmState(m_server, e.window, "_NET_WM_STATE_SKIP_TASKBAR"), !e.listed)
            << ::testing::PrintToString(netWmState(m_server, e.window));
    }
}

INSTANTIATE_TEST_SUITE_P(Managers, ProgramUnderWindowManager,
                         ::testing::Values(WindowManagerKind::Openbox, WindowManagerKind::Xfwm4WithPanel),
                         [](const ::testing::TestParamInfo<WindowManagerKind>& info) { return nameOf(info.param); });

} // namespace
