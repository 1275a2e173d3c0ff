#pragma once

#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/screen.h"
#include "platform/win32/win32_api.h"

namespace tintora::win32 {

// The screen through GDI: pixels from the desktop's device context, each
// monitor's gamma ramp from a device context of that monitor, blocks copied
// with one BitBlt into a DIB section kept for the program's life, monitors and
// work areas from the monitor API.
class Win32Screen final : public Screen {
public:
    Win32Screen();
    ~Win32Screen() override;

    ColourValue pixel(Point p) override;
    bool rampAt(Point p, RampReading& reading) override;
    std::vector<RampReading> allRamps() override;
    bool canReadGammaRamp() override;
    bool profileAt(Point p, PublishedProfile& profile) override;
    std::vector<PublishedProfile> allProfiles() override;
    bool grab(Rect rect, ScreenImage& image) override;
    Rect virtualDesktop() override;
    std::vector<Rect> monitors() override;
    Rect primaryWorkArea() override;
    Rect workAreaAt(Point p) override;

private:
    // A device context of the display device named device ("\\.\DISPLAY1"),
    // made the first time it is asked for and kept.
    HDC monitorDc(std::wstring_view device);
    void forgetMonitorDc(std::wstring_view device);
    // The ramp of the display device (GetDeviceGammaRamp on its DC).
    bool readRamp(std::wstring_view device, GammaTable& ramp);
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

    // Makes the DIB section at least width x height.
    bool reserveBlock(int width, int height);
    void releaseBlock();

    bool m_canReadRamp = false;
    std::vector<std::pair<std::wstring, HDC>> m_monitorDcs;
    // The device of the last ramp read under the pointer and its name in
    // UTF-8: the pointer stays on one monitor tick after tick.
    std::wstring m_rampDevice;
    std::string m_rampOutput;

    std::vector<MonitorProfile> m_profiles;
    std::uint64_t m_profileChanges = 0; // the last serial given

    HDC m_blockDc = nullptr;
    HBITMAP m_block = nullptr;
    HGDIOBJ m_blockDcDefault = nullptr; // what the memory DC held before the DIB
    std::uint32_t* m_blockBits = nullptr;
    int m_blockWidth = 0;
    int m_blockHeight = 0;
};

} // namespace tintora::win32
