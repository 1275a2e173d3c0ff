#pragma once

#include <optional>

#include "platform/pointer.h"
#include "platform/win32/win32_pointer_state.h"

namespace tintora::win32 {

// The pointer on Windows: its position from GetCursorPos, the system-wide
// speed through SPI_GETMOUSESPEED / SPI_SETMOUSESPEED (never written to the
// user's profile, so even a lost change lasts only until the next sign-in),
// the axis locks through ClipCursor. While anything is changed, a state file
// records it and a watchdog process waits for this one to end, so that the
// user's settings come back however the program ends. Destroying the object
// gives them back and frees the pointer.
class Win32Pointer final : public Pointer {
public:
    Win32Pointer();
    ~Win32Pointer() override;

    std::optional<Point> position() override;
    bool canMovePointer() override { return true; }
    void moveTo(Point p) override;
    int speed() override;
    bool canSetPointerSpeed() override { return true; }
    std::string pointerSpeedRefusal() override { return {}; }
    void setSpeed(int speed) override;
    bool canConfinePointer() override;
    void confine(Rect rect) override;
    void release() override;

private:
    // Records m_changes (before the change it describes is made) and starts
    // the watchdog the first time something is changed.
    void record();

    PointerChanges m_changes;
    // The user's own speed: what the system showed at start, or what an
    // earlier run recorded when the speed was still its doing.
    int m_userSpeed = 0;
    // A speed another running copy of the program has set, while it is set.
    std::optional<int> m_speedOfOtherCopy;
    bool m_watchdogStarted = false;
};

// The watchdog: this program's executable started again with
// WatchdogEnvironment holding "<pid> <creation time>" of the process to
// watch. It waits until that process has ended and gives back what its
// state file records.
inline constexpr const wchar_t* WatchdogEnvironment = L"TINTORA_POINTER_WATCHDOG";

bool startedAsWatchdog();
int runWatchdog();

} // namespace tintora::win32
