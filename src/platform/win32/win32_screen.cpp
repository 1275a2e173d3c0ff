#include "platform/win32/win32_screen.h"

#include "platform/files.h"
#include "platform/screen_image.h"
#include "platform/win32/win32_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>

namespace tintora::win32 {

namespace {

Rect rectOf(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

struct MonitorEntry {
    Rect rect;
    bool primary = false;
};

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<MonitorEntry>*>(data)->push_back(
            {rectOf(info.rcMonitor), (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}

std::vector<MonitorEntry> monitorEntries()
{
    std::vector<MonitorEntry> entries;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&entries));
    std::stable_partition(entries.begin(), entries.end(), [](const MonitorEntry& e) { return e.primary; });
    return entries;
}

// The monitors with their display devices, in the system's order.
std::vector<MONITORINFOEXW> monitorDevices()
{
    std::vector<MONITORINFOEXW> devices;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFOEXW info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(monitor, &info)) reinterpret_cast<std::vector<MONITORINFOEXW>*>(data)->push_back(info);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&devices));
    return devices;
}

std::optional<MONITORINFOEXW> monitorInfo(HMONITOR monitor)
{
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return std::nullopt;
    return info;
}

// The virtual desktop: the monitors' bounding rectangle.
Rect desktopRect()
{
    return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::vector<Rect> monitorRects()
{
    std::vector<Rect> rects;
    for (const MonitorEntry& m : monitorEntries()) rects.push_back(m.rect);
    return rects;
}

} // namespace

Screen openWin32Screen()
{
    auto dcs = std::make_shared<MonitorDcs>();
    Screen screen;
    screen.pixels = std::make_unique<Win32Pixels>();
    screen.ramps = std::make_unique<Win32GammaRamps>(dcs);
    screen.profiles = std::make_unique<Win32DisplayProfiles>(dcs);
    screen.monitors = std::make_unique<Win32Monitors>();
    return screen;
}

MonitorDcs::~MonitorDcs()
{
    for (auto& [device, dc] : m_dcs) DeleteDC(dc);
}

HDC MonitorDcs::of(std::wstring_view device)
{
    for (const auto& [name, dc] : m_dcs)
        if (name == device) return dc;
    const std::wstring name(device);
    HDC dc = CreateDCW(L"DISPLAY", name.c_str(), nullptr, nullptr);
    if (dc) m_dcs.emplace_back(name, dc);
    return dc;
}

void MonitorDcs::forget(std::wstring_view device)
{
    const auto it =
        std::find_if(m_dcs.begin(), m_dcs.end(), [&](const auto& entry) { return entry.first == device; });
    if (it == m_dcs.end()) return;
    DeleteDC(it->second);
    m_dcs.erase(it);
}

Win32Pixels::~Win32Pixels() { releaseBlock(); }

ColourValue Win32Pixels::pixel(Point p)
{
    HDC desktop = GetDC(nullptr);
    if (!desktop) return InvalidColour;
    const COLORREF colour = GetPixel(desktop, p.x, p.y);
    ReleaseDC(nullptr, desktop);
    // COLORREF is 0x00BBGGRR, the layout of a colour value.
    return colour == CLR_INVALID ? InvalidColour : withoutTopByte(colour);
}

Win32GammaRamps::Win32GammaRamps(std::shared_ptr<MonitorDcs> dcs) : m_dcs(std::move(dcs))
{
    RampReading probe;
    m_canReadRamp = rampAt({0, 0}, probe);
}

bool Win32GammaRamps::readRamp(std::wstring_view device, GammaTable& ramp)
{
    // The same layout: 3 tables of 256 WORDs, red, green, blue.
    WORD read[3][256];
    static_assert(sizeof read == sizeof(GammaTable));
    HDC dc = m_dcs->of(device);
    bool ok = dc && GetDeviceGammaRamp(dc, read);
    if (!ok && dc) {
        // The monitor may have been reconnected since the DC was made.
        m_dcs->forget(device);
        dc = m_dcs->of(device);
        ok = dc && GetDeviceGammaRamp(dc, read);
    }
    if (!dc) {
        // No device context of the monitor's own: the desktop's, which has
        // the primary display's ramp.
        HDC desktop = GetDC(nullptr);
        ok = desktop && GetDeviceGammaRamp(desktop, read);
        if (desktop) ReleaseDC(nullptr, desktop);
    }
    if (ok) std::memcpy(ramp.data(), read, sizeof read);
    return ok;
}

bool Win32GammaRamps::rampAt(Point p, RampReading& reading)
{
    // Off every monitor: no ramp, not the primary monitor's.
    const auto info = monitorInfo(MonitorFromPoint(POINT{p.x, p.y}, MONITOR_DEFAULTTONULL));
    if (!info || !readRamp(info->szDevice, reading.ramp)) return false;
    const std::wstring_view device(info->szDevice);
    if (device != m_rampDevice) {
        m_rampDevice = device;
        m_rampOutput = win32::utf8FromWide(m_rampDevice);
    }
    reading.output = m_rampOutput;
    reading.size = 256;
    return true;
}

std::vector<RampReading> Win32GammaRamps::allRamps()
{
    std::vector<RampReading> readings;
    for (const MONITORINFOEXW& monitor : monitorDevices()) {
        RampReading reading;
        if (!readRamp(monitor.szDevice, reading.ramp)) continue;
        reading.output = win32::utf8FromWide(monitor.szDevice);
        reading.size = 256;
        readings.push_back(std::move(reading));
    }
    return readings;
}

Win32DisplayProfiles::Win32DisplayProfiles(std::shared_ptr<MonitorDcs> dcs) : m_dcs(std::move(dcs)) {}

std::wstring Win32DisplayProfiles::profilePath(const std::wstring& device)
{
    HDC dc = m_dcs->of(device);
    if (!dc) return {};
    std::wstring path(MAX_PATH, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    BOOL found = GetICMProfileW(dc, &size, path.data());
    if (!found && size > path.size()) {
        // A longer path: size says how long.
        path.assign(size, L'\0');
        found = GetICMProfileW(dc, &size, path.data());
    }
    if (!found) return {};
    path.resize(std::wcslen(path.c_str()));
    return path;
}

// The system announces a new profile for a monitor only to top-level windows
// (WM_SETTINGCHANGE, WM_DEVICECHANGE), which the backend has none of, and the
// scriptable probe runs no message loop at all. So a monitor's profile is
// looked up at once for a display device not seen before or whose rectangle
// changed (a display change), and otherwise at most once a second:
// GetICMProfileW and the file's size and time, which cost no more than a few
// system calls, against 20 readings a second. The file itself is read again
// only when one of those changed, so a profile rewritten in place under its
// name is seen too.
const Win32DisplayProfiles::MonitorProfile& Win32DisplayProfiles::monitorProfile(const MONITORINFOEXW& info)
{
    constexpr auto LookUpInterval = std::chrono::seconds(1);
    const Rect rect = rectOf(info.rcMonitor);
    auto it = std::find_if(m_profiles.begin(), m_profiles.end(),
                           [&](const MonitorProfile& m) { return m.device == info.szDevice; });
    if (it == m_profiles.end()) {
        it = m_profiles.insert(m_profiles.end(), MonitorProfile{});
        it->device = info.szDevice;
        it->output = win32::utf8FromWide(it->device);
        it->rect = rect;
        lookUpProfile(*it);
    } else if (it->rect != rect || std::chrono::steady_clock::now() - it->lookedUpAt >= LookUpInterval) {
        it->rect = rect;
        lookUpProfile(*it);
    }
    return *it;
}

void Win32DisplayProfiles::lookUpProfile(MonitorProfile& profile)
{
    profile.lookedUpAt = std::chrono::steady_clock::now();
    const std::wstring path = profilePath(profile.device);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool found = !path.empty() && GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
                       !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    const ULONGLONG size = found ? (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow : 0;
    const FILETIME written = found ? data.ftLastWriteTime : FILETIME{};
    if (profile.serial != 0 && path == profile.path && found == profile.fileFound && size == profile.fileSize &&
        CompareFileTime(&written, &profile.written) == 0)
        return;

    profile.path = path;
    profile.fileFound = found;
    profile.fileSize = size;
    profile.written = written;
    profile.origin = win32::utf8FromWide(path);
    profile.serial = ++m_profileChanges;
    profile.bytes.clear();
    profile.refusal.clear();
    profile.refusedSize = 0;
    if (!found) return;
    // Refused, not read: who follows the profile says so, once.
    if (size > kLargestProfileBytes) {
        profile.refusal = "The display profile is larger than " + std::to_string(kLargestProfileBytes >> 20) + " MiB.";
        profile.refusedSize = size;
        return;
    }
    if (size == 0) {
        profile.refusal = "The display profile file is empty.";
        return;
    }
    // readFile stops at its own cap, which is no smaller, should the file
    // grow in the meantime.
    static_assert(kLargestProfileBytes <= kMaxSettingsFileBytes);
    std::string error;
    const std::optional<std::string> bytes = readFile(profile.origin, error);
    if (bytes && bytes->size() <= kLargestProfileBytes) profile.bytes.assign(bytes->begin(), bytes->end());
}

bool Win32DisplayProfiles::profileAt(Point p, PublishedProfile& profile)
{
    const auto info = monitorInfo(MonitorFromPoint(POINT{p.x, p.y}, MONITOR_DEFAULTTOPRIMARY));
    if (!info) return false;
    const MonitorProfile& monitor = monitorProfile(*info);
    if (profile.serial == monitor.serial && profile.output == monitor.output) return true;
    profile.bytes.assign(monitor.bytes.begin(), monitor.bytes.end());
    profile.output = monitor.output;
    profile.origin = monitor.origin;
    profile.serial = monitor.serial;
    profile.refusal = monitor.refusal;
    profile.refusedSize = monitor.refusedSize;
    return true;
}

std::vector<PublishedProfile> Win32DisplayProfiles::allProfiles()
{
    std::vector<PublishedProfile> profiles;
    for (const MONITORINFOEXW& info : monitorDevices()) {
        const MonitorProfile& monitor = monitorProfile(info);
        profiles.push_back(
            {monitor.bytes, monitor.output, monitor.origin, monitor.serial, {}, monitor.refusal, monitor.refusedSize});
    }
    return profiles;
}

bool Win32Pixels::reserveBlock(int width, int height)
{
    if (m_block && width <= m_blockWidth && height <= m_blockHeight) return true;
    releaseBlock();
    const int w = std::max(width, m_blockWidth);
    const int h = std::max(height, m_blockHeight);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h; // top-down rows
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_block = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_blockDc = CreateCompatibleDC(nullptr);
    if (!m_block || !m_blockDc || !bits) {
        releaseBlock();
        return false;
    }
    m_blockDcDefault = SelectObject(m_blockDc, m_block);
    m_blockBits = static_cast<std::uint32_t*>(bits);
    m_blockWidth = w;
    m_blockHeight = h;
    return true;
}

void Win32Pixels::releaseBlock()
{
    if (m_blockDc) {
        if (m_blockDcDefault) SelectObject(m_blockDc, m_blockDcDefault);
        DeleteDC(m_blockDc);
    }
    if (m_block) DeleteObject(m_block);
    m_blockDc = nullptr;
    m_block = nullptr;
    m_blockDcDefault = nullptr;
    m_blockBits = nullptr;
    m_blockWidth = m_blockHeight = 0;
}

bool Win32Pixels::grab(Rect rect, ScreenImage& image)
{
    resizeImage(image, rect.width, rect.height);
    const auto failed = [&image] {
        clearImage(image);
        return false;
    };
    // Monitors of different sizes leave corners of the desktop's bounding
    // rectangle that no monitor shows: those stay black, as what lies off
    // the desktop does.
    // (The desktop is the monitors' bounding rectangle: none reaches past it.)
    const Rect desk = desktopRect();
    const std::vector<Rect> shown = monitorRects();
    const Rect part = intersected(rect, desk);
    if (part.isEmpty() || !reserveBlock(part.width, part.height)) return failed();

    bool copied = false;
    HDC desktop = GetDC(nullptr);
    if (desktop) {
        GdiFlush();
        // One copy of the part of the block that lies on the desktop;
        // CAPTUREBLT brings layered windows (menus, tooltips) along.
        copied = BitBlt(m_blockDc, 0, 0, part.width, part.height, desktop, part.x, part.y, SRCCOPY | CAPTUREBLT);
        ReleaseDC(nullptr, desktop);
        GdiFlush();
    }
    if (!copied) return failed();
    copyBlock(image, {part.x - rect.x, part.y - rect.y}, m_blockBits, static_cast<std::size_t>(m_blockWidth),
              part.width, part.height);
    blackOutside(image, {rect.x, rect.y}, shown);
    return true;
}

Rect Win32Monitors::virtualDesktop() { return desktopRect(); }

std::vector<Rect> Win32Monitors::monitors() { return monitorRects(); }

Rect Win32Monitors::primaryWorkArea()
{
    const auto info = monitorInfo(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    return info ? rectOf(info->rcWork) : desktopRect();
}

Rect Win32Monitors::workAreaAt(Point p)
{
    const auto info = monitorInfo(MonitorFromPoint(POINT{p.x, p.y}, MONITOR_DEFAULTTONEAREST));
    return info ? rectOf(info->rcWork) : primaryWorkArea();
}

} // namespace tintora::win32
