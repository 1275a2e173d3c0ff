#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/screen.h"
#include "platform/win32/win32_api.h"

namespace tintora::win32 {

// The screen through GDI and the monitor API, its four parts made together.
Screen openWin32Screen();

// Device contexts of the display devices ("\\.\DISPLAY1"), each made the
// first time it is asked for and kept; the ramps and the profiles share them.
class MonitorDcs {
public:
    MonitorDcs() = default;
    ~MonitorDcs();
    MonitorDcs(const MonitorDcs&) = delete;
    MonitorDcs& operator=(const MonitorDcs&) = delete;

    HDC of(std::wstring_view device);
    // Deletes the device's context: the next of() makes a new one.
    void forget(std::wstring_view device);

private:
    std::vector<std::pair<std::wstring, HDC>> m_dcs;
};

// Pixels from the desktop's device context; blocks copied with one BitBlt
// into a DIB section kept for the program's life.
class Win32Pixels final : public Pixels {
public:
    Win32Pixels() = default;
    ~Win32Pixels() override;

    bool canReadPixels() override { return true; }
    ColourValue pixel(Point p) override;
    bool grab(Rect rect, ScreenImage& image) override;

private:
    // Makes the DIB section at least width x height.
    bool reserveBlock(int width, int height);
    void releaseBlock();

    HDC m_blockDc = nullptr;
    HBITMAP m_block = nullptr;
    HGDIOBJ m_blockDcDefault = nullptr; // what the memory DC held before the DIB
    std::uint32_t* m_blockBits = nullptr;
    int m_blockWidth = 0;
    int m_blockHeight = 0;
};

// Each monitor's gamma ramp, from a device context of that monitor.
class Win32GammaRamps final : public GammaRamps {
public:
    explicit Win32GammaRamps(std::shared_ptr<MonitorDcs> dcs);

    bool canReadGammaRamp() override { return m_canReadRamp; }
    bool rampAt(Point p, RampReading& reading) override;
    std::vector<RampReading> allRamps() override;

private:
    // The ramp of the display device (GetDeviceGammaRamp on its DC).
    bool readRamp(std::wstring_view device, GammaTable& ramp);

    std::shared_ptr<MonitorDcs> m_dcs;
    bool m_canReadRamp = false;
    // The device of the last ramp read under the pointer and its name in
    // UTF-8: the pointer stays on one monitor tick after tick.
    std::wstring m_rampDevice;
    std::string m_rampOutput;
};

// Each monitor's display profile, from GetICMProfileW.
class Win32DisplayProfiles final : public DisplayProfiles {
public:
    explicit Win32DisplayProfiles(std::shared_ptr<MonitorDcs> dcs);

    bool canReadProfiles() override { return true; }
    bool profileAt(Point p, PublishedProfile& profile) override;
    std::vector<PublishedProfile> allProfiles() override;

private:
    // The display profile of one monitor as last looked up.
    struct MonitorProfile {
        std::wstring device;
        Rect rect;               // the monitor's, when last looked up
        std::string output;      // device in UTF-8
        std::wstring path;       // what GetICMProfileW gave; empty: nothing
        bool fileFound = false;  // the path names a file
        ULONGLONG fileSize = 0;
        FILETIME written{};
        std::vector<std::uint8_t> bytes;
        std::string refusal;     // as PublishedProfile::refusal
        std::uint64_t refusedSize = 0;
        std::string origin;      // path in UTF-8
        std::uint64_t serial = 0;
        std::chrono::steady_clock::time_point lookedUpAt;
    };
    // The monitor's entry, its profile looked up again when due.
    const MonitorProfile& monitorProfile(const MONITORINFOEXW& info);
    void lookUpProfile(MonitorProfile& profile);
    // The profile's path for the display device, empty when none.
    std::wstring profilePath(const std::wstring& device);

    std::shared_ptr<MonitorDcs> m_dcs;
    std::vector<MonitorProfile> m_profiles;
    std::uint64_t m_profileChanges = 0; // the last serial given
};

// Monitors and work areas from the monitor API.
class Win32Monitors final : public Monitors {
public:
    Rect virtualDesktop() override;
    std::vector<Rect> monitors() override;
    bool knowsWorkAreas() override { return true; }
    Rect primaryWorkArea() override;
    Rect workAreaAt(Point p) override;
};

} // namespace tintora::win32
