#include "platform/files.h"

#include "platform/win32/win32_api.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>

#include "platform/win32/win32_text.h"

namespace tintora {

namespace {

std::string withReason(const std::string& what, DWORD code) { return what + ": " + win32::systemErrorText(code); }

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Closes the handle and deletes the temporary file unless kept.
class TempFile {
public:
    TempFile(HANDLE handle, std::wstring path) : handle_(handle), path_(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    HANDLE handle() const { return handle_; }
    const std::wstring& path() const { return path_; }
    bool close()
    {
        const HANDLE h = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(h);
    }
    void keep() { path_.clear(); }

private:
    HANDLE handle_;
    std::wstring path_;
};

std::wstring directoryOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::optional<TempFile> createTempBeside(const std::wstring& target, std::string& error)
{
    static std::atomic<unsigned> counter{0};
    const std::wstring dir = directoryOf(target);
    const std::wstring base = target.substr(dir.size());
    const std::string dirText = dir.empty() ? std::string(".") : win32::utf8FromWide(dir);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = dir + L"." + base + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                                  std::to_wstring(counter.fetch_add(1)) + L".tmp";
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) return std::optional<TempFile>(std::in_place, h, name);
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            error = withReason("cannot create a file in " + dirText, code);
            return std::nullopt;
        }
    }
    error = "cannot create a file in " + dirText + ": too many names taken";
    return std::nullopt;
}

// Whether attributes are a plain file's: not a folder, a device, a link or
// any other reparse point; the reason in error when not.
bool isPlainFile(DWORD attributes, const std::string& path, std::string& error)
{
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT)) {
        error = path + ": not a regular file";
        return false;
    }
    return true;
}

// The whole of contents written from the handle's position.
bool writeAll(HANDLE file, std::string_view contents)
{
    for (std::size_t done = 0; done < contents.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, contents.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

// Writes contents to the temporary file and flushes it to the disk.
bool fillTemp(TempFile& temp, std::string_view contents, std::string& error)
{
    if (writeAll(temp.handle(), contents) && FlushFileBuffers(temp.handle()) && temp.close()) return true;
    error = withReason(win32::utf8FromWide(temp.path()), GetLastError());
    return false;
}

// Writes contents over the file's own bytes, cuts off what is left of the
// old ones and flushes it to the disk.
bool rewriteInPlace(const std::wstring& target, const std::string& targetText, std::string_view contents,
                    std::string& error)
{
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = withReason(targetText, GetLastError());
        return false;
    }
    const bool ok = writeAll(file, contents) && SetEndOfFile(file) && FlushFileBuffers(file);
    const DWORD code = GetLastError();
    CloseHandle(file);
    if (!ok) {
        error = withReason(targetText, code) + " (the file was being rewritten in place and may be damaged)";
        return false;
    }
    return true;
}

// Whether the file at target has names besides this one (hard links); false
// where that cannot be told.
bool hasOtherNames(const std::wstring& target)
{
    HANDLE h = CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool linked = GetFileInformationByHandle(h, &info) && info.nNumberOfLinks > 1;
    CloseHandle(h);
    return linked;
}

// The file a symbolic link (or junction) leads to; the path itself otherwise.
std::wstring finalTarget(const std::wstring& path, DWORD attributes)
{
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, resolved.data(), static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED);
    if (n >= resolved.size()) {
        resolved.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, resolved.data(), static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED);
    }
    CloseHandle(h);
    if (n == 0 || n >= resolved.size()) return path;
    resolved.resize(n);
    return resolved;
}

// The rest of the file's bytes, unless there are more than limit (then
// tooLargeError is the error): never more is read, even from a file that
// grows meanwhile. The handle stays open.
std::optional<std::string> readAtMost(HANDLE h, const std::string& path, std::size_t limit,
                                      const std::string& tooLargeError, std::string& error)
{
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h, &size) && static_cast<unsigned long long>(size.QuadPart) > limit) {
        error = tooLargeError;
        return std::nullopt;
    }
    std::string bytes;
    char buffer[8192];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
            error = withReason(path, GetLastError());
            return std::nullopt;
        }
        if (n == 0) return bytes;
        bytes.append(buffer, n);
        if (bytes.size() > limit) {
            error = tooLargeError;
            return std::nullopt;
        }
    }
}

} // namespace

// Links are followed here as the system follows them. A symbolic link to a
// file takes the right to create symbolic links, which Windows gives to
// administrators alone unless the machine's owner turns Developer Mode on,
// and a junction leads to a folder, never to a file; an owner check as on
// POSIX would have to take the Administrators group, which owns what an
// elevated administrator makes, for the user, and so would add little.
bool linksAreTheUsers(const std::string&, std::string&) { return true; }

std::optional<std::string> readFile(const std::string& path, std::string& error)
{
    const std::wstring wide = win32::wideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return std::string();
        error = withReason(path, code);
        return std::nullopt;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = path + ": not a regular file";
        return std::nullopt;
    }
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) return std::string();
        error = withReason(path, code);
        return std::nullopt;
    }
    // Devices and pipes ("NUL", "\\.\pipe\...") are no settings files.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        error = path + ": not a regular file";
        return std::nullopt;
    }
    const std::string tooLarge =
        path + ": larger than " + std::to_string(kMaxSettingsFileBytes >> 20) + " MB, which no settings file is";
    auto bytes = readAtMost(h, path, kMaxSettingsFileBytes, tooLarge, error);
    CloseHandle(h);
    return bytes;
}

std::optional<std::string> readOwnFile(const std::string& path, std::size_t maxBytes, std::string& error)
{
    const std::wstring wide = win32::wideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = withReason(path, GetLastError());
        return std::nullopt;
    }
    if (!isPlainFile(attributes, path, error)) return std::nullopt;
    // Should a link have taken the file's place since, the link itself is
    // opened, and refused below.
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = withReason(path, GetLastError());
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    std::optional<std::string> bytes;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info))
        error = path + ": not a regular file";
    else if (isPlainFile(info.dwFileAttributes, path, error))
        bytes = readAtMost(h, path, maxBytes, path + ": larger than " + std::to_string(maxBytes) + " bytes", error);
    CloseHandle(h);
    return bytes;
}

bool replaceFile(const std::string& path, std::string_view contents, std::string& error)
{
    const std::wstring given = win32::wideFromUtf8(path);
    const std::wstring target = finalTarget(given, GetFileAttributesW(given.c_str()));
    const std::string targetText = target == given ? path : win32::utf8FromWide(target);

    const DWORD attributes = GetFileAttributesW(target.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
            error = withReason(targetText, code);
            return false;
        }
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = targetText + ": not a regular file";
        return false;
    } else if (attributes & FILE_ATTRIBUTE_READONLY) {
        // Replacing it would go through: a read-only file is the user's
        // wish that it stays as it is.
        error = withReason(targetText, ERROR_ACCESS_DENIED);
        return false;
    }

    // A file with other hard links is rewritten in place: replacing it would
    // leave the old bytes under its other names.
    if (exists && hasOtherNames(target)) return rewriteInPlace(target, targetText, contents, error);
    std::string tempError;
    std::optional<TempFile> temp = createTempBeside(target, tempError);
    if (!temp) {
        // No new file can be made beside it (a folder the user may not add
        // files to, holding a file the user may write): the file itself is
        // rewritten.
        if (!exists) {
            error = tempError;
            return false;
        }
        return rewriteInPlace(target, targetText, contents, error);
    }
    if (!fillTemp(*temp, contents, error)) return false;
    // ReplaceFileW keeps the old file's attributes and security settings;
    // a new file simply takes the temporary file's place.
    const BOOL placed =
        exists ? ReplaceFileW(target.c_str(), temp->path().c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                              nullptr)
               : MoveFileExW(temp->path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!placed) {
        error = withReason(targetText, GetLastError());
        return false;
    }
    temp->keep();
    // Windows' ReplaceFileW keeps them itself, Wine's does not.
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (exists && (GetFileAttributesW(target.c_str()) & kept) != (attributes & kept))
        SetFileAttributesW(target.c_str(), (attributes & kept) ? (attributes & kept) : FILE_ATTRIBUTE_NORMAL);
    return true;
}

bool replaceOwnFile(const std::string& path, std::string_view contents, std::string& error)
{
    const std::wstring target = win32::wideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND) {
            error = withReason(path, code);
            return false;
        }
    } else if (!isPlainFile(attributes, path, error)) {
        return false;
    }
    // CREATE_NEW takes only a name where nothing is, not even a link.
    std::optional<TempFile> temp = createTempBeside(target, error);
    if (!temp || !fillTemp(*temp, contents, error)) return false;
    // The name itself is replaced: a link put there meanwhile is never
    // written through.
    if (!MoveFileExW(temp->path().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = withReason(path, GetLastError());
        return false;
    }
    temp->keep();
    return true;
}

void removeOwnFile(const std::string& path)
{
    const std::wstring wide = win32::wideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    std::string error;
    if (attributes != INVALID_FILE_ATTRIBUTES && isPlainFile(attributes, path, error)) DeleteFileW(wide.c_str());
}

bool isWritableDirectory(const std::string& dir)
{
    // Access rules decide, not attributes (a folder's read-only attribute
    // means nothing for its files): try a file that goes when closed.
    std::wstring wide = win32::wideFromUtf8(dir);
    if (!wide.empty() && !isSeparator(wide.back())) wide += L'\\';
    const std::wstring probe = wide + L".tintora-write-test-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool pathExists(const std::string& path)
{
    return GetFileAttributesW(win32::wideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool makeParentDirectories(const std::string& filePath)
{
    const std::wstring path = win32::wideFromUtf8(filePath);
    // Past the root: "C:\", "\\server\share\" or a leading separator.
    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == L':') {
        start = 2;
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        const std::size_t server = path.find_first_of(L"\\/", 2);
        start = server == std::wstring::npos ? path.size() : path.find_first_of(L"\\/", server + 1);
        if (start == std::wstring::npos) start = path.size();
    }
    for (std::size_t i = start + 1; i < path.size(); ++i) {
        if (!isSeparator(path[i])) continue;
        const std::wstring dir = path.substr(0, i);
        if (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

std::string userConfigDirectory()
{
    wchar_t* folder = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &folder)) && folder)
        result = win32::utf8FromWide(folder);
    CoTaskMemFree(folder);
    return result;
}

} // namespace tintora
