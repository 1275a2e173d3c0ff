#include "platform/win32/win32_pointer_state.h"

#include <shlobj.h>

#include <cstdio>

#include "platform/files.h"
#include "platform/win32/win32_text.h"

namespace tintora::win32 {

namespace {

std::uint64_t ticksOf(const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

std::optional<std::uint64_t> creationTime(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return std::nullopt;
    return ticksOf(created);
}

std::wstring fileOf(const std::wstring& folder, DWORD pid)
{
    return folder + L"\\pointer-" + std::to_wstring(pid) + L".state";
}

std::optional<PointerChanges> readChanges(const std::wstring& path)
{
    std::string error;
    // Other copies' files too: never through a link, never past a record's
    // size.
    const auto text = readOwnFile(utf8FromWide(path), kMostPointerRecordBytes, error);
    if (!text) return std::nullopt;
    return PointerStateFiles::parse(*text);
}

} // namespace

ProcessIdentity currentProcess()
{
    return {GetCurrentProcessId(), creationTime(GetCurrentProcess()).value_or(0)};
}

bool isRunning(const ProcessIdentity& process)
{
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, process.pid);
    if (!handle) {
        // A process of another user that we may not open still runs.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    const bool running = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT && creationTime(handle) == process.started;
    CloseHandle(handle);
    return running;
}

std::wstring PointerStateFiles::folder()
{
    wchar_t* base = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &base)) && base)
        folder = std::wstring(base) + L"\\Tintora";
    CoTaskMemFree(base);
    return folder;
}

PointerRecord recordOf(const PointerChanges& c)
{
    PointerRecord record{static_cast<std::uint32_t>(c.owner.pid), c.owner.started, {}, c.confined};
    if (c.setSpeed != 0)
        record.settings.push_back({SpeedSettingId, SpeedSettingName, {static_cast<std::uint32_t>(c.userSpeed)},
                                   {{static_cast<std::uint32_t>(c.setSpeed)}}});
    return record;
}

std::optional<PointerChanges> changesOf(const PointerRecord& record)
{
    PointerChanges c{{record.ownerPid, record.ownerStarted}, 0, 0, record.confined};
    if (record.settings.empty()) return c;
    const ChangedSetting& speed = record.settings.front();
    const auto onScale = [](const PointerValue& v) { return v.size() == 1 && v[0] >= 1 && v[0] <= 20; };
    if (record.settings.size() > 1 || !speed.isSetting(SpeedSettingId, SpeedSettingName) || !onScale(speed.original) ||
        speed.written.size() != 1 || !onScale(speed.written.front()))
        return std::nullopt;
    c.userSpeed = static_cast<int>(speed.original[0]);
    c.setSpeed = static_cast<int>(speed.written.front()[0]);
    return c;
}

std::string PointerStateFiles::text(const PointerChanges& changes) { return pointerRecordText(recordOf(changes)); }

std::optional<PointerChanges> PointerStateFiles::parse(const std::string& text)
{
    const auto record = parsePointerRecord(text);
    if (!record) return std::nullopt;
    return changesOf(*record);
}

bool PointerStateFiles::save(const PointerChanges& changes)
{
    if (!changes.any()) {
        remove(changes.owner);
        return true;
    }
    const std::wstring dir = folder();
    if (dir.empty()) return false;
    CreateDirectoryW(dir.c_str(), nullptr);
    std::string error;
    const auto checked = pointerRecordFileText(recordOf(changes), error);
    if (!checked) {
        std::fprintf(stderr,
                     "tintora: the pointer's own settings cannot be kept: %s; if the program crashes, the pointer "
                     "speed stays changed.\n",
                     error.c_str());
        return false;
    }
    return replaceOwnFile(utf8FromWide(fileOf(dir, changes.owner.pid)), *checked, error);
}

void PointerStateFiles::remove(const ProcessIdentity& owner)
{
    const std::wstring dir = folder();
    if (dir.empty()) return;
    removeOwnFile(utf8FromWide(fileOf(dir, owner.pid)));
    // Only an empty folder goes: the call fails while another file is there.
    RemoveDirectoryW(dir.c_str());
}

std::vector<PointerChanges> PointerStateFiles::all()
{
    std::vector<PointerChanges> found;
    const std::wstring dir = folder();
    if (dir.empty()) return found;
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((dir + L"\\pointer-*.state").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        if (const auto changes = readChanges(dir + L"\\" + entry.cFileName)) found.push_back(*changes);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

std::optional<PointerChanges> PointerStateFiles::of(const ProcessIdentity& owner)
{
    const std::wstring dir = folder();
    if (dir.empty()) return std::nullopt;
    const auto changes = readChanges(fileOf(dir, owner.pid));
    if (!changes || !(changes->owner == owner)) return std::nullopt;
    return changes;
}

std::vector<OtherCopy> PointerStateFiles::others(const ProcessIdentity& self)
{
    std::vector<OtherCopy> found;
    for (const PointerChanges& changes : all())
        if (!(changes.owner == self)) found.push_back({recordOf(changes), isRunning(changes.owner)});
    return found;
}

void setSessionPointerSpeed(int speed)
{
    // Windows takes the speed from pvParam; Wine (8.0) from uiParam, where
    // Windows ignores it. Both carry it.
    SystemParametersInfoW(SPI_SETMOUSESPEED, static_cast<UINT>(speed), reinterpret_cast<void*>(static_cast<INT_PTR>(speed)),
                          0);
}

void giveBack(const PointerChanges& changes, const std::vector<OtherCopy>& others)
{
    for (const ChangedSetting& speed : recordOf(changes).settings) {
        int now = 0;
        if (!SystemParametersInfoW(SPI_GETMOUSESPEED, 0, &now, 0)) continue;
        if (const auto value = valueToGiveBack(speed, {static_cast<std::uint32_t>(now)}, others))
            setSessionPointerSpeed(static_cast<int>(value->front()));
    }
    if (changes.confined) ClipCursor(nullptr);
    PointerStateFiles::remove(changes.owner);
}

} // namespace tintora::win32
