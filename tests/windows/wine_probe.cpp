// A small Windows program the end-to-end tests run under Wine beside
// tintora.exe, to see the system state the program leaves behind as another
// Windows program sees it.
//
//   wine_probe speed          prints SPI_GETMOUSESPEED
//   wine_probe set-speed N    sets it for this session (as the program does)
//   wine_probe clip           prints GetClipCursor: left top right bottom
//   wine_probe desktop        prints the virtual desktop: left top right bottom
//   wine_probe close TITLE    posts WM_CLOSE to the shown window TITLE, as
//                             the task manager's "End task" does
//   wine_probe write-state USER SET
//                             records, as a run that has ended without giving
//                             the pointer back would have, that it set the
//                             speed SET where the user's was USER
//   wine_probe state-files    prints how many pointer state files there are
//   wine_probe hold           keeps the Wine session up, as a user's logon
//                             session stays: prints "held" once it is part of
//                             it, then runs until "release" (ten minutes at
//                             most). Without it the session ends with the
//                             last program, and what the session holds (the
//                             pointer speed set without saving) goes with it
//   wine_probe release        ends the "hold"
//   wine_probe resources EXE  prints what EXE carries: "icon", the product
//                             version and the manifest's text
//   wine_probe profiles DIR N writes the display profile of the monitor at
//                             (0, 0) as DIR\1.icc and each new one the screen
//                             backend gives (a new serial) as 2.icc ... N.icc,
//                             each followed by k.txt, its origin; ends after
//                             N, or with 1 after a minute

#include "platform/win32/win32_pointer_state.h"
#include "platform/win32/win32_screen.h"
#include "platform/win32/win32_text.h"

#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

using namespace tintora::win32;

namespace {

// The shown top-level window with that title (hidden ones of the same title
// are passed over).
HWND visibleWindowTitled(const std::wstring& title)
{
    struct Search {
        std::wstring title;
        HWND found = nullptr;
    } search{title};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t text[256] = {};
            GetWindowTextW(window, text, 256);
            if (!IsWindowVisible(window) || s->title != text) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int printResources(const std::wstring& exe)
{
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return 1;
    if (FindResourceW(module, L"IDI_ICON1", MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */)) std::printf("icon\n");

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    std::string block(size, '\0');
    wchar_t* version = nullptr;
    UINT length = 0;
    if (size && GetFileVersionInfoW(exe.c_str(), 0, size, block.data()) &&
        VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\ProductVersion", reinterpret_cast<void**>(&version),
                       &length))
        std::printf("version %s\n", utf8FromWide(std::wstring(version, length ? length - 1 : 0)).c_str());

    if (HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */)) {
        const char* text = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
        if (text) std::fwrite(text, 1, SizeofResource(module, manifest), stdout);
    }
    FreeLibrary(module);
    return 0;
}

bool writeWholeFile(const std::wstring& path, const void* bytes, std::size_t size)
{
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

int writeProfiles(const std::wstring& folder, int count)
{
    using namespace std::chrono;
    tintora::Screen screen = openWin32Screen();
    tintora::PublishedProfile reading;
    const auto deadline = steady_clock::now() + minutes(1);
    for (int written = 0; written < count;) {
        if (steady_clock::now() > deadline) return 1;
        const std::uint64_t before = reading.serial;
        if (screen.profiles->profileAt({0, 0}, reading) && reading.serial != before) {
            const std::wstring name = folder + L"\\" + std::to_wstring(++written);
            if (!writeWholeFile(name + L".icc", reading.bytes.data(), reading.bytes.size()) ||
                !writeWholeFile(name + L".txt", reading.origin.data(), reading.origin.size()))
                return 1;
        }
        // As often as the program's readouts ask.
        std::this_thread::sleep_for(milliseconds(50));
    }
    return 0;
}

// The event the holding probe waits on.
constexpr const wchar_t* HoldEvent = L"TintoraTestSessionHold";

int holdSession()
{
    HANDLE released = CreateEventW(nullptr, TRUE, FALSE, HoldEvent);
    if (!released) return 1;
    std::printf("held\n");
    std::fflush(stdout);
    const DWORD waited = WaitForSingleObject(released, 10 * 60 * 1000);
    CloseHandle(released);
    return waited == WAIT_OBJECT_0 ? 0 : 1;
}

int releaseSession()
{
    HANDLE released = OpenEventW(EVENT_MODIFY_STATE, FALSE, HoldEvent);
    if (!released) return 1;
    const bool set = SetEvent(released);
    CloseHandle(released);
    return set ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // The arguments as the system has them: the narrow argv is in the ANSI
    // code page, which has no room for a Cyrillic folder name.
    int wideCount = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    const auto argument = [&](int i) { return i < wideCount ? std::wstring(wide[i]) : std::wstring(); };
    if (argc < 2) return 2;
    const char* command = argv[1];
    if (std::strcmp(command, "speed") == 0) {
        int speed = 0;
        if (!SystemParametersInfoW(SPI_GETMOUSESPEED, 0, &speed, 0)) return 1;
        std::printf("%d\n", speed);
    } else if (std::strcmp(command, "set-speed") == 0 && argc == 3) {
        const int speed = std::atoi(argv[2]);
        // In both parameters, as the program passes it (Wine reads uiParam).
        if (!SystemParametersInfoW(SPI_SETMOUSESPEED, static_cast<UINT>(speed),
                                   reinterpret_cast<void*>(static_cast<INT_PTR>(speed)), 0))
            return 1;
    } else if (std::strcmp(command, "clip") == 0) {
        RECT r{};
        if (!GetClipCursor(&r)) return 1;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    } else if (std::strcmp(command, "desktop") == 0) {
        const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        std::printf("%d %d %d %d\n", x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    y + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    } else if (std::strcmp(command, "close") == 0 && argc == 3) {
        HWND window = visibleWindowTitled(argument(2));
        if (!window || !PostMessageW(window, WM_CLOSE, 0, 0)) return 1;
    } else if (std::strcmp(command, "write-state") == 0 && argc == 4) {
        // Process 1 with a start time no process has: one that has ended.
        const PointerChanges left{{1, 1}, std::atoi(argv[2]), std::atoi(argv[3]), false};
        if (!PointerStateFiles::save(left)) return 1;
    } else if (std::strcmp(command, "resources") == 0 && argc == 3) {
        return printResources(argument(2));
    } else if (std::strcmp(command, "profiles") == 0 && argc == 4) {
        return writeProfiles(argument(2), std::atoi(argv[3]));
    } else if (std::strcmp(command, "hold") == 0) {
        return holdSession();
    } else if (std::strcmp(command, "release") == 0) {
        return releaseSession();
    } else if (std::strcmp(command, "state-files") == 0) {
        std::printf("%zu\n", PointerStateFiles::all().size());
    } else {
        return 2;
    }
    std::fflush(stdout);
    return 0;
}
