#include "platform/win32/win32_pointer.h"

#include <cwchar>
#include <string>

#include "platform/process.h"
#include "platform/win32/win32_text.h"

namespace tintora::win32 {

namespace {

int systemSpeed()
{
    int speed = 0;
    if (!SystemParametersInfoW(SPI_GETMOUSESPEED, 0, &speed, 0)) return 0;
    return speed >= MinPointerSpeed && speed <= MaxPointerSpeed ? speed : 0;
}

// Starts the watchdog for this process; false when it could not be started.
bool startWatchdog(const ProcessIdentity& self)
{
    const std::wstring exe = wideFromUtf8(executablePath());
    if (exe.empty()) return false;
    const std::wstring value = std::to_wstring(self.pid) + L" " + std::to_wstring(self.started);
    // The child takes a copy of this environment; the variable is ours only
    // for the moment of the start.
    if (!SetEnvironmentVariableW(WatchdogEnvironment, value.c_str())) return false;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // It shows no window: no "working in background" pointer meanwhile.
    startup.dwFlags = STARTF_FORCEOFFFEEDBACK;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &info);
    SetEnvironmentVariableW(WatchdogEnvironment, nullptr);
    if (!started) return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

} // namespace

Win32Pointer::Win32Pointer()
{
    m_changes.owner = currentProcess();
    // What runs that ended without giving back what they changed left.
    const std::vector<OtherCopy> others = PointerStateFiles::others(m_changes.owner);
    for (const OtherCopy& other : others) {
        const auto left = changesOf(other.record);
        if (!other.running && left) giveBack(*left, others);
    }
    const int found = systemSpeed();
    m_userSpeed = found;
    if (found == 0) return;
    // Another copy may have slowed the pointer: the user's speed is then the
    // one it recorded.
    const PointerValue original = originalUnder(SpeedSettingId, SpeedSettingName, {static_cast<std::uint32_t>(found)},
                                                PointerStateFiles::others(m_changes.owner));
    if (original.front() != static_cast<std::uint32_t>(found)) {
        m_userSpeed = static_cast<int>(original.front());
        m_speedOfOtherCopy = found;
    }
}

Win32Pointer::~Win32Pointer() { giveBack(m_changes, PointerStateFiles::others(m_changes.owner)); }

std::optional<Point> Win32Pointer::position()
{
    POINT p{};
    if (!GetCursorPos(&p)) return std::nullopt;
    return Point{p.x, p.y};
}

void Win32Pointer::moveTo(Point p) { SetCursorPos(p.x, p.y); }

int Win32Pointer::speed()
{
    const int now = systemSpeed();
    if (m_changes.setSpeed == 0 && m_speedOfOtherCopy && now == *m_speedOfOtherCopy) return m_userSpeed;
    return now;
}

void Win32Pointer::setSpeed(int speed)
{
    // Without the user's own speed there would be nothing to give back.
    if (speed < MinPointerSpeed || speed > MaxPointerSpeed || m_userSpeed == 0) return;
    if (speed == m_userSpeed) {
        setSessionPointerSpeed(speed);
        m_changes.userSpeed = 0;
        m_changes.setSpeed = 0;
        record();
        return;
    }
    m_changes.userSpeed = m_userSpeed;
    m_changes.setSpeed = speed;
    record();
    setSessionPointerSpeed(speed);
}

bool Win32Pointer::canConfinePointer() { return true; }

void Win32Pointer::confine(Rect rect)
{
    if (!m_changes.confined) {
        m_changes.confined = true;
        record();
    }
    const RECT r{rect.left(), rect.top(), rect.right(), rect.bottom()};
    ClipCursor(&r);
}

void Win32Pointer::release()
{
    ClipCursor(nullptr);
    if (m_changes.confined) {
        m_changes.confined = false;
        record();
    }
}

void Win32Pointer::record()
{
    PointerStateFiles::save(m_changes);
    if (m_changes.any() && !m_watchdogStarted) m_watchdogStarted = startWatchdog(m_changes.owner);
}

bool startedAsWatchdog() { return GetEnvironmentVariableW(WatchdogEnvironment, nullptr, 0) > 0; }

int runWatchdog()
{
    wchar_t value[64] = {};
    GetEnvironmentVariableW(WatchdogEnvironment, value, 64);
    ProcessIdentity watched;
    if (std::swscanf(value, L"%lu %llu", &watched.pid, &watched.started) != 2) return 2;

    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, watched.pid);
    if (process) {
        FILETIME created{}, exited{}, kernel{}, user{};
        const bool same = GetProcessTimes(process, &created, &exited, &kernel, &user) &&
                          ((std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime) == watched.started;
        if (same) WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
    // Ended: a normal end has removed the file already.
    if (const auto changes = PointerStateFiles::of(watched)) giveBack(*changes, PointerStateFiles::others(watched));
    return 0;
}

} // namespace tintora::win32
