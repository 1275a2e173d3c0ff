// The Win32 backend on Windows (under Wine): text at the API boundary, the
// clipboard, the screen's blocks and display profile, and how the pointer's
// speed and confinement are recorded and given back.

#include <gtest/gtest.h>

#include "platform/win32/win32_api.h"

#include <chrono>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/platform.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_pointer.h"
#include "platform/win32/win32_pointer_state.h"
#include "platform/win32/win32_screen.h"
#include "platform/win32/win32_text.h"

using namespace tintora;
using namespace tintora::win32;

namespace {

int systemSpeed()
{
    int speed = 0;
    SystemParametersInfoW(SPI_GETMOUSESPEED, 0, &speed, 0);
    return speed;
}

void setSystemSpeed(int speed)
{
    // Wine reads uiParam, Windows pvParam.
    SystemParametersInfoW(SPI_SETMOUSESPEED, static_cast<UINT>(speed), reinterpret_cast<void*>(static_cast<INT_PTR>(speed)),
                          0);
}

RECT clipRect()
{
    RECT r{};
    GetClipCursor(&r);
    return r;
}

RECT desktopRect()
{
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::wstring clipboardText()
{
    if (!OpenClipboard(nullptr)) return L"<cannot open>";
    std::wstring text = L"<no text>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// Whatever a test does to the session's pointer, the next test starts from
// speed 10, no confinement and no state files.
class PointerTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset()
    {
        for (const PointerChanges& c : PointerStateFiles::all()) PointerStateFiles::remove(c.owner);
        setSystemSpeed(10);
        ClipCursor(nullptr);
    }
};

// A process that surely runs for the test's length: a suspended copy of
// this program, ended at destruction.
class LiveProcess {
public:
    LiveProcess()
    {
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" --gtest_list_tests";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                           &startup, &m_info)) {
            FILETIME created{}, exited{}, kernel{}, user{};
            GetProcessTimes(m_info.hProcess, &created, &exited, &kernel, &user);
            m_identity = {m_info.dwProcessId, (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime};
        }
    }
    ~LiveProcess()
    {
        if (!m_info.hProcess) return;
        TerminateProcess(m_info.hProcess, 0);
        WaitForSingleObject(m_info.hProcess, 5000);
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
    }
    LiveProcess(const LiveProcess&) = delete;
    LiveProcess& operator=(const LiveProcess&) = delete;
    const ProcessIdentity& identity() const { return m_identity; }

private:
    PROCESS_INFORMATION m_info{};
    ProcessIdentity m_identity;
};

// A borderless window of one colour above the others, until destroyed.
class ColourWindow {
public:
    ColourWindow(Rect rect, COLORREF colour) : m_brush(CreateSolidBrush(colour))
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = m_brush;
        windowClass.lpszClassName = L"TintoraTestColourWindow";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"",
                                   WS_POPUP | WS_VISIBLE, rect.x, rect.y, rect.width, rect.height, nullptr, nullptr,
                                   windowClass.hInstance, nullptr);
        UpdateWindow(m_window);
        // Drawn when its messages are handled: until the screen shows it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        HDC screen = GetDC(nullptr);
        for (;;) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            m_shown = GetPixel(screen, rect.x + rect.width / 2, rect.y + rect.height / 2) == colour;
            if (m_shown || std::chrono::steady_clock::now() >= deadline) break;
            // Until the next message, or a while for the screen to catch up.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        ReleaseDC(nullptr, screen);
    }
    ~ColourWindow()
    {
        if (m_window) DestroyWindow(m_window);
        UnregisterClassW(L"TintoraTestColourWindow", GetModuleHandleW(nullptr));
        DeleteObject(m_brush);
    }
    ColourWindow(const ColourWindow&) = delete;
    ColourWindow& operator=(const ColourWindow&) = delete;
    bool shown() const { return m_shown; }

private:
    HBRUSH m_brush;
    HWND m_window = nullptr;
    bool m_shown = false;
};

} // namespace

// A grabbed block lies where it belongs in the image, each pixel 0x00RRGGBB
// with the top byte clear, black where it leaves the desktop.
TEST(Win32Screen, grabCopiesTheDesktopAndBlacksWhatLiesOffIt)
{
    const RECT desk = desktopRect();
    const Rect window{desk.left, desk.top, 40, 30};
    ColourWindow colourWindow(window, RGB(200, 100, 0));
    ASSERT_TRUE(colourWindow.shown());
    const struct Case {
        Rect block;
        bool readable;
    } cases[] = {
        {{desk.left + 5, desk.top + 5, 20, 10}, true},      // in the window
        {{desk.left - 10, desk.top - 5, 30, 20}, true},     // over the desktop's corner: the window, or off it
        {{desk.left - 100, desk.top - 100, 10, 10}, false}, // wholly off
    };
    Screen screen = openWin32Screen();
    ScreenImage image;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "block " << c.block.x << "," << c.block.y << " " << c.block.width << "x"
                                        << c.block.height);
        EXPECT_EQ(screen.pixels->grab(c.block, image), c.readable);
        ASSERT_EQ(image.width, c.block.width);
        ASSERT_EQ(image.height, c.block.height);
        ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(c.block.width * c.block.height));
        int wrong = 0;
        for (int y = 0; y < c.block.height; ++y)
            for (int x = 0; x < c.block.width; ++x) {
                const Point p{c.block.x + x, c.block.y + y};
                const std::uint32_t expected = window.contains(p) ? 0x00C86400u : 0u;
                const std::uint32_t got = image.pixels[static_cast<std::size_t>(y * c.block.width + x)];
                if (got != expected && wrong++ < 5)
                    ADD_FAILURE() << "pixel (" << p.x << ", " << p.y << ") is " << std::hex << got << ", expected "
                                  << expected;
            }
        EXPECT_EQ(wrong, 0);
    }
}

// With no profile of its own, a monitor has the system's default one (under
// Wine, its sRGB profile): its file's bytes, under the monitor's device name,
// copied again only for a reading of another serial or output.
TEST(Win32Screen, theDisplayProfileIsTheFileOfTheMonitorsProfile)
{
    Screen screen = openWin32Screen();
    const Point p{10, 10};
    MONITORINFOEXW monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(POINT{p.x, p.y}, MONITOR_DEFAULTTOPRIMARY), &monitor));

    PublishedProfile reading;
    ASSERT_TRUE(screen.profiles->profileAt(p, reading));
    EXPECT_EQ(reading.output, utf8FromWide(monitor.szDevice));
    EXPECT_NE(reading.serial, 0u);
    std::string error;
    const std::optional<std::string> file = readFile(reading.origin, error);
    ASSERT_TRUE(file) << error;
    ASSERT_GE(reading.bytes.size(), 132u) << reading.origin;
    EXPECT_EQ(std::string(reading.bytes.begin(), reading.bytes.end()), *file);
    EXPECT_EQ(std::string(reading.bytes.begin() + 36, reading.bytes.begin() + 40), "acsp");

    PublishedProfile kept = reading;
    kept.bytes.clear();
    ASSERT_TRUE(screen.profiles->profileAt(p, kept));
    EXPECT_TRUE(kept.bytes.empty()) << "copied again at the same serial";
    kept.output = "another monitor";
    ASSERT_TRUE(screen.profiles->profileAt(p, kept));
    EXPECT_EQ(kept.bytes, reading.bytes);
    EXPECT_EQ(kept.output, reading.output);

    const std::vector<PublishedProfile> all = screen.profiles->allProfiles();
    ASSERT_EQ(all.size(), screen.monitors->monitors().size());
    EXPECT_EQ(all.front().bytes, reading.bytes);
    EXPECT_EQ(all.front().serial, reading.serial);
}

TEST(Win32Text, utf8AndWideCharactersBothWays)
{
    const struct {
        std::string utf8;
        std::wstring wide;
    } cases[] = {
        {"", L""},
        {"Tintora.ini", L"Tintora.ini"},
        {"C:\\Цвет #2\\tintora.exe", L"C:\\\u0426\u0432\u0435\u0442 #2\\tintora.exe"},
        // Outside the basic plane: a surrogate pair in UTF-16.
        {"\xF0\x9F\x8E\xA8", L"\xD83C\xDFA8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wideFromUtf8(c.utf8), c.wide) << c.utf8;
        EXPECT_EQ(utf8FromWide(c.wide), c.utf8) << c.utf8;
    }
    // The system's own sentence, without the line end FormatMessage adds.
    const std::string reason = systemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(reason.empty());
    EXPECT_NE(reason.back(), '\n');
    EXPECT_NE(reason.back(), ' ');
}

TEST(Win32Clipboard, unicodeTextThatOtherProgramsRead)
{
    Win32Clipboard clipboard;
    EXPECT_EQ(clipboard.setText("C86400"), "");
    EXPECT_EQ(clipboardText(), L"C86400");
    EXPECT_EQ(clipboard.setText("Цвет"), "");
    EXPECT_EQ(clipboardText(), L"\u0426\u0432\u0435\u0442");
}

TEST(Win32Clipboard, heldByAnotherProgramReportsTheSystemsReason)
{
    Win32Clipboard clipboard;
    ASSERT_EQ(clipboard.setText("C86400"), "");
    // Another thread opens the clipboard and keeps it open until told.
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct Shared {
        HANDLE opened, done;
        BOOL ok;
    } shared{opened, done, FALSE};
    HANDLE holder = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* s = static_cast<Shared*>(p);
            HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                          nullptr);
            s->ok = OpenClipboard(window);
            SetEvent(s->opened);
            WaitForSingleObject(s->done, 10000);
            if (s->ok) CloseClipboard();
            DestroyWindow(window);
            return 0;
        },
        &shared, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(shared.ok);

    const std::string error = clipboard.setText("C96400");
    SetEvent(done);
    WaitForSingleObject(holder, 10000);
    CloseHandle(holder);
    CloseHandle(opened);
    CloseHandle(done);

    EXPECT_NE(error, "");
    EXPECT_EQ(clipboardText(), L"C86400") << "the clipboard is unchanged";
}

TEST(PointerStateFile, textRoundTripAndWhatIsNotAStateFile)
{
    const PointerChanges changes{{4242, 133456789012345678ull}, 10, 1, true};
    const std::string text = PointerStateFiles::text(changes);
    EXPECT_EQ(text,
              "tintora pointer record 1\nowner 4242 133456789012345678\nsetting 0 speed 0000000a 00000001\nconfined\n");
    const auto back = PointerStateFiles::parse(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->owner, changes.owner);
    EXPECT_EQ(back->userSpeed, 10);
    EXPECT_EQ(back->setSpeed, 1);
    EXPECT_TRUE(back->confined);

    for (const char* bad : {
             "",
             "tintora pointer record 2\nowner 1 2\nsetting 0 speed 0000000a 00000001\n",
             "tintora pointer record 1\nowner 1 2\nsetting 0 speed 0000000a 00000001",
             "tintora pointer record 1\nowner 1 2\nsetting 0 speed 0000000a 00000015\n",
             "tintora pointer record 1\nowner 1 2\nsetting 0 speed 00000000 00000001\n",
             "tintora pointer record 1\nowner 1 2\nsetting 0 speed 0000000a ten\n",
             "tintora pointer record 1\nowner 1 2\nsetting 0 speed 0000000a 00000001 00000002\n",
             "tintora pointer record 1\nowner 1 2\nsetting 6 Xvfb%20mouse 0000000a 00000001\n",
             "tintora pointer record 1\nowner 1 2\nsetting 0 speed 0000000a 00000001\nconfined\nextra 1\n",
         })
        EXPECT_FALSE(PointerStateFiles::parse(bad)) << bad;
}

TEST_F(PointerTest, changesAreRecordedWhileMadeAndGivenBackAtTheEnd)
{
    const RECT row{0, 300, desktopRect().right, 301};
    {
        Win32Pointer pointer;
        EXPECT_EQ(pointer.speed(), 10);
        EXPECT_FALSE(PointerStateFiles::of(currentProcess())) << "nothing changed, nothing recorded";

        pointer.setSpeed(1);
        EXPECT_EQ(systemSpeed(), 1);
        EXPECT_EQ(pointer.speed(), 1);
        pointer.confine({row.left, row.top, row.right - row.left, 1});
        EXPECT_TRUE(clipRect() == row);
        const auto recorded = PointerStateFiles::of(currentProcess());
        ASSERT_TRUE(recorded);
        EXPECT_EQ(recorded->userSpeed, 10);
        EXPECT_EQ(recorded->setSpeed, 1);
        EXPECT_TRUE(recorded->confined);

        pointer.release();
        EXPECT_TRUE(clipRect() == desktopRect());
        pointer.setSpeed(10);
        EXPECT_EQ(systemSpeed(), 10);
        EXPECT_FALSE(PointerStateFiles::of(currentProcess())) << "all given back, nothing recorded";

        pointer.setSpeed(3);
        pointer.confine({row.left, row.top, row.right - row.left, 1});
        // Out of the scale: ignored.
        pointer.setSpeed(0);
        pointer.setSpeed(21);
        EXPECT_EQ(systemSpeed(), 3);
    }
    EXPECT_EQ(systemSpeed(), 10);
    EXPECT_TRUE(clipRect() == desktopRect());
    EXPECT_EQ(PointerStateFiles::all().size(), 0u);
}

TEST_F(PointerTest, aSpeedTheUserChangedMeanwhileIsLeftAlone)
{
    {
        Win32Pointer pointer;
        pointer.setSpeed(2);
        setSystemSpeed(14); // the user, in the control panel
    }
    EXPECT_EQ(systemSpeed(), 14);
}

TEST_F(PointerTest, whatAnEndedRunLeftChangedComesBackAtTheNextStart)
{
    const struct {
        const char* name;
        int speedNow;
        int expected;
    } cases[] = {
        {"still the speed it set", 2, 9},
        {"changed by the user since", 6, 6},
    };
    for (const auto& c : cases) {
        setSystemSpeed(c.speedNow);
        const RECT row{0, 10, desktopRect().right, 11};
        ClipCursor(&row);
        // The id of this process with another start time: a process that
        // has ended.
        const PointerChanges left{{GetCurrentProcessId(), 1}, 9, 2, true};
        ASSERT_TRUE(PointerStateFiles::save(left));

        Win32Pointer pointer;
        EXPECT_EQ(systemSpeed(), c.expected) << c.name;
        EXPECT_EQ(pointer.speed(), c.expected) << c.name;
        EXPECT_TRUE(clipRect() == desktopRect()) << c.name;
        EXPECT_EQ(PointerStateFiles::all().size(), 0u) << c.name;
    }
}

TEST_F(PointerTest, anotherRunningCopysSlowPointerIsNotTheUsersSpeed)
{
    LiveProcess other;
    ASSERT_NE(other.identity().pid, 0u);
    setSystemSpeed(1);
    ASSERT_TRUE(PointerStateFiles::save({other.identity(), 12, 1, false}));
    {
        Win32Pointer pointer;
        EXPECT_EQ(pointer.speed(), 12) << "the user's speed, as the other copy recorded it";
        EXPECT_EQ(systemSpeed(), 1) << "the other copy's change stays while it runs";
    }
    EXPECT_EQ(systemSpeed(), 1);
    EXPECT_TRUE(PointerStateFiles::of(other.identity()));
}

// The user's speed comes back with the last copy to end: one that ends while
// another that slowed the pointer from the same speed still runs leaves that
// one's speed.
TEST_F(PointerTest, aCopyThatEndsLeavesTheSpeedOfOneStillRunning)
{
    LiveProcess other;
    ASSERT_NE(other.identity().pid, 0u);
    setSystemSpeed(1);
    ASSERT_TRUE(PointerStateFiles::save({other.identity(), 12, 1, false}));
    {
        Win32Pointer pointer;
        pointer.setSpeed(3);
        EXPECT_EQ(systemSpeed(), 3);
    }
    EXPECT_EQ(systemSpeed(), 1);
    EXPECT_TRUE(PointerStateFiles::of(other.identity()));
}

int main(int argc, char** argv)
{
    // The pointer's watchdog is this program started again.
    if (const auto status = tintora::runPlatformHelper(argc, argv)) return *status;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
