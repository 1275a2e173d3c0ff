#include "platform/win32/win32_pointer_state.h"

#include <shlobj.h>

#include <sstream>

#include "platform/win32/win32_text.h"

namespace tintora::win32 {

namespace {

constexpr const char* Header = "tintora pointer state 1";

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

std::optional<std::string> readSmallFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    char buffer[1024];
    DWORD read = 0;
    const BOOL ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return std::string(buffer, read);
}

bool writeSmallFile(const std::wstring& path, const std::string& text)
{
    const std::wstring temp = path + L".new";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!ok || !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
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

std::string PointerStateFiles::text(const PointerChanges& c)
{
    std::ostringstream out;
    out << Header << "\r\nowner " << c.owner.pid << ' ' << c.owner.started << "\r\nspeed " << c.userSpeed << ' '
        << c.setSpeed << "\r\nconfined " << (c.confined ? 1 : 0) << "\r\n";
    return out.str();
}

std::optional<PointerChanges> PointerStateFiles::parse(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line.rfind(Header, 0) != 0) return std::nullopt;
    PointerChanges c;
    bool owner = false, speed = false, confined = false;
    std::string key;
    while (in >> key) {
        if (key == "owner") {
            owner = static_cast<bool>(in >> c.owner.pid >> c.owner.started);
        } else if (key == "speed") {
            speed = static_cast<bool>(in >> c.userSpeed >> c.setSpeed);
        } else if (key == "confined") {
            int value = 0;
            confined = static_cast<bool>(in >> value);
            c.confined = value != 0;
        } else {
            return std::nullopt;
        }
        if (!in) return std::nullopt;
    }
    const auto onScale = [](int s) { return s >= 0 && s <= 20; };
    if (!owner || !speed || !confined || !onScale(c.userSpeed) || !onScale(c.setSpeed)) return std::nullopt;
    return c;
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
    return writeSmallFile(fileOf(dir, changes.owner.pid), text(changes));
}

void PointerStateFiles::remove(const ProcessIdentity& owner)
{
    const std::wstring dir = folder();
    if (dir.empty()) return;
    DeleteFileW(fileOf(dir, owner.pid).c_str());
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
        if (const auto bytes = readSmallFile(dir + L"\\" + entry.cFileName))
            if (const auto changes = parse(*bytes)) found.push_back(*changes);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

std::optional<PointerChanges> PointerStateFiles::of(const ProcessIdentity& owner)
{
    const std::wstring dir = folder();
    if (dir.empty()) return std::nullopt;
    const auto bytes = readSmallFile(fileOf(dir, owner.pid));
    if (!bytes) return std::nullopt;
    const auto changes = parse(*bytes);
    if (!changes || !(changes->owner == owner)) return std::nullopt;
    return changes;
}

void setSessionPointerSpeed(int speed)
{
    // Windows takes the speed from pvParam; Wine (8.0) from uiParam, where
    // Windows ignores it. Both carry it.
    SystemParametersInfoW(SPI_SETMOUSESPEED, static_cast<UINT>(speed), reinterpret_cast<void*>(static_cast<INT_PTR>(speed)),
                          0);
}

void giveBack(const PointerChanges& changes)
{
    if (changes.setSpeed != 0) {
        int now = 0;
        // A speed the user has changed since stays as the user set it.
        if (SystemParametersInfoW(SPI_GETMOUSESPEED, 0, &now, 0) && now == changes.setSpeed)
            setSessionPointerSpeed(changes.userSpeed);
    }
    if (changes.confined) ClipCursor(nullptr);
    PointerStateFiles::remove(changes.owner);
}

} // namespace tintora::win32
