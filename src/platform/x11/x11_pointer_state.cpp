#include "platform/x11/x11_pointer_state.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "platform/files.h"

namespace tintora::x11 {

namespace {

constexpr const char* Suffix = ".state";

// ":0.0" and ":0" are the same server: the screen number is dropped, and
// anything unusual in a file name becomes '_'.
std::string fileKey(const std::string& displayName)
{
    std::string key = displayName;
    const auto colon = key.rfind(':');
    if (colon != std::string::npos) {
        const auto dot = key.find('.', colon);
        if (dot != std::string::npos) key.erase(dot);
    }
    for (char& c : key) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == ':' || c == '-' || c == '_';
        if (!plain) c = '_';
    }
    return key.empty() ? "_" : key;
}

// "/run/user/1000/" as "/run/user/1000": lstat() follows a link with a slash
// after its name.
std::string withoutTrailingSlashes(std::string dir)
{
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

// The private folder under the temporary directory.
std::string privateDirectory()
{
    std::string temporary = "/tmp";
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && tmpdir[0] == '/')
        temporary = withoutTrailingSlashes(tmpdir);
    return (temporary == "/" ? "" : temporary) + "/tintora-" + std::to_string(::getuid());
}

// Our own directory, not a name anyone else could have put there or linked
// elsewhere: a directory (not a link) owned by this user, which nobody else
// may enter. One that was open to others is not made private: links of
// theirs may already be in it.
bool isPrivateDirectory(const std::string& dir)
{
    struct stat st {};
    return ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

} // namespace

bool PointerStateFile::processEnded(pid_t pid)
{
    if (pid <= 0) return true;
    if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
    // kill() reaches a zombie too; its state says it has ended.
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return false;
    const auto close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) return false;
    const char state = stat[close + 2];
    return state == 'Z' || state == 'X' || state == 'x';
}

std::vector<std::string> PointerStateFile::directories(bool create)
{
    std::vector<std::string> found;
    // Held to the same rule as the private folder: a runtime directory that
    // others may write to (or that is a link) is not used.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        if (const std::string dir = withoutTrailingSlashes(runtime); isPrivateDirectory(dir)) found.push_back(dir);
    }
    const std::string own = privateDirectory();
    if (create) ::mkdir(own.c_str(), 0700);
    if (isPrivateDirectory(own) && std::find(found.begin(), found.end(), own) == found.end()) found.push_back(own);
    return found;
}

PointerStateFile::PointerStateFile(const std::string& displayName, pid_t pid)
    : m_pid(pid > 0 ? pid : ::getpid()),
      m_name("tintora-pointer-" + fileKey(displayName) + "-" + std::to_string(m_pid) + Suffix),
      m_prefix("tintora-pointer-" + fileKey(displayName) + "-")
{
}

bool PointerStateFile::save(const std::vector<ChangedSetting>& devices)
{
    if (devices.empty()) {
        remove();
        return true;
    }
    std::string error;
    const auto checked = pointerRecordFileText({static_cast<std::uint32_t>(m_pid), 0, devices, false}, error);
    if (!checked) {
        // The file as it was, if any, still gives back what it records.
        if (!m_toldUnreadable) {
            m_toldUnreadable = true;
            std::fprintf(stderr,
                         "tintora: the pointer's own settings cannot be kept: %s; if the program crashes, the "
                         "pointer speed stays changed.\n",
                         error.c_str());
        }
        return false;
    }
    const std::string& text = *checked;
    if (!m_path.empty()) {
        if (replaceOwnFile(m_path, text, error)) return true;
        // The place has gone bad since: another one is tried.
        removeOwnFile(m_path);
        m_path.clear();
    }
    const std::string own = privateDirectory();
    std::string tried;
    bool ownTried = false;
    for (const std::string& dir : directories(true)) {
        const std::string path = dir + "/" + m_name;
        if (replaceOwnFile(path, text, error)) {
            m_path = path;
            return true;
        }
        tried += (tried.empty() ? "" : "; ") + error;
        ownTried |= dir == own;
    }
    if (!m_toldNoPlace) {
        m_toldNoPlace = true;
        if (!ownTried) tried += (tried.empty() ? "" : "; ") + own + ": not a private folder of this user";
        std::fprintf(stderr,
                     "tintora: no place to keep the pointer's own settings (%s); if the program crashes, the pointer "
                     "speed stays changed.\n",
                     tried.c_str());
    }
    return false;
}

void PointerStateFile::remove() const
{
    if (!m_path.empty()) removeOwnFile(m_path);
}

std::string PointerStateFile::existingPath() const
{
    if (!m_path.empty()) return m_path;
    for (const auto& [path, pid] : displayFiles())
        if (pid == m_pid) return path;
    return {};
}

std::vector<std::pair<std::string, pid_t>> PointerStateFile::displayFiles() const
{
    std::vector<std::pair<std::string, pid_t>> found;
    const std::string suffix = Suffix;
    for (const std::string& dir : directories(false)) {
        std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(dir.c_str()), ::closedir);
        if (!listing) continue;
        while (const dirent* entry = ::readdir(listing.get())) {
            const std::string name = entry->d_name;
            if (name.size() <= m_prefix.size() + suffix.size() || !name.starts_with(m_prefix) ||
                !name.ends_with(suffix))
                continue;
            const std::string digits = name.substr(m_prefix.size(), name.size() - m_prefix.size() - suffix.size());
            const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
            if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), isDigit)) continue;
            found.emplace_back(dir + "/" + name, static_cast<pid_t>(std::stol(digits)));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::string> PointerStateFile::orphans() const
{
    std::vector<std::string> found;
    for (const auto& [path, pid] : displayFiles())
        if (path != m_path && (pid == m_pid || processEnded(pid))) found.push_back(path);
    return found;
}

std::vector<OtherCopy> PointerStateFile::others() const
{
    std::vector<OtherCopy> found;
    for (const auto& [path, pid] : displayFiles()) {
        if (path == m_path || pid == m_pid) continue;
        OtherCopy copy;
        copy.running = !processEnded(pid);
        if (auto record = load(path)) copy.record = std::move(*record);
        found.push_back(std::move(copy));
    }
    return found;
}

std::optional<PointerRecord> PointerStateFile::load(const std::string& path)
{
    std::string error;
    const auto text = readOwnFile(path, kMostPointerRecordBytes, error);
    if (!text) return std::nullopt;
    return parsePointerRecord(*text);
}

} // namespace tintora::x11
