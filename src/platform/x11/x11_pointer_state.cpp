#include "platform/x11/x11_pointer_state.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace tintora::x11 {

namespace {

constexpr const char* Header = "tintora-pointer-state 1";
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

std::string hexOf(const std::string& bytes)
{
    if (bytes.empty()) return "-";
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> bytesOf(const std::string& hex)
{
    if (hex == "-") return std::string();
    if (hex.size() % 2) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = hexDigit(hex[i]), lo = hexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

std::string matrixText(const MatrixBits& m)
{
    std::string out;
    char word[9];
    for (std::size_t i = 0; i < m.size(); ++i) {
        std::snprintf(word, sizeof word, "%08x", static_cast<unsigned>(m[i]));
        if (i) out += ',';
        out += word;
    }
    return out;
}

std::optional<MatrixBits> matrixOf(const std::string& text)
{
    MatrixBits m{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (pos + 8 > text.size()) return std::nullopt;
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 8; ++k) {
            const int d = hexDigit(text[pos + k]);
            if (d < 0) return std::nullopt;
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        m[i] = v;
        pos += 8;
        const bool last = i + 1 == m.size();
        if (last ? pos != text.size() : (pos >= text.size() || text[pos] != ',')) return std::nullopt;
        ++pos;
    }
    return m;
}

std::optional<SavedDevice> deviceOf(const std::string& line)
{
    std::istringstream in(line);
    std::string word, name, original;
    SavedDevice d;
    if (!(in >> word) || word != "device" || !(in >> d.id >> name >> original)) return std::nullopt;
    auto bytes = bytesOf(name);
    auto matrix = matrixOf(original);
    if (!bytes || !matrix) return std::nullopt;
    d.name = *bytes;
    d.original = *matrix;
    while (in >> word) {
        auto value = matrixOf(word);
        if (!value) return std::nullopt;
        d.written.push_back(*value);
    }
    if (d.written.empty()) return std::nullopt;
    return d;
}

// The private folder under the temporary directory.
std::string privateDirectory()
{
    std::string temporary = "/tmp";
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && tmpdir[0] == '/') temporary = tmpdir;
    while (temporary.size() > 1 && temporary.back() == '/') temporary.pop_back();
    return (temporary == "/" ? "" : temporary) + "/tintora-" + std::to_string(::getuid());
}

// Our own directory, not a name anyone else could have put there or linked
// elsewhere: a directory (not a link) owned by this user, which nobody else
// may enter.
bool isPrivateDirectory(const std::string& dir)
{
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
    if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) return false;
    return true;
}

bool writeStateFile(const std::string& path, const std::vector<SavedDevice>& devices, int& error)
{
    const std::string temporary = path + ".new";
    {
        errno = 0;
        std::ofstream out(temporary, std::ios::trunc);
        if (!out) {
            error = errno ? errno : EACCES;
            return false;
        }
        out << Header << '\n';
        for (const SavedDevice& d : devices) {
            out << "device " << d.id << ' ' << hexOf(d.name) << ' ' << matrixText(d.original);
            for (const MatrixBits& w : d.written) out << ' ' << matrixText(w);
            out << '\n';
        }
        out.flush();
        if (!out) {
            error = errno ? errno : EIO;
            ::unlink(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

bool SavedDevice::wrote(const MatrixBits& value) const
{
    return std::find(written.begin(), written.end(), value) != written.end();
}

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
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat st {};
        if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) found.push_back(runtime);
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

bool PointerStateFile::save(const std::vector<SavedDevice>& devices)
{
    if (devices.empty()) {
        remove();
        return true;
    }
    int error = 0;
    if (!m_path.empty()) {
        if (writeStateFile(m_path, devices, error)) return true;
        // The place has gone bad since: another one is tried.
        ::unlink(m_path.c_str());
        m_path.clear();
    }
    std::string tried;
    for (const std::string& dir : directories(true)) {
        const std::string path = dir + "/" + m_name;
        if (writeStateFile(path, devices, error)) {
            m_path = path;
            return true;
        }
        tried += (tried.empty() ? "" : "; ") + dir + ": " + std::strerror(error);
    }
    if (!m_toldNoPlace) {
        m_toldNoPlace = true;
        const std::string own = privateDirectory();
        if (tried.find(own + ":") == std::string::npos)
            tried += (tried.empty() ? "" : "; ") + own + ": not a private folder of this user";
        std::fprintf(stderr,
                     "tintora: no place to keep the pointer's own settings (%s); if the program crashes, the pointer "
                     "speed stays changed.\n",
                     tried.c_str());
    }
    return false;
}

void PointerStateFile::remove() const
{
    if (!m_path.empty()) ::unlink(m_path.c_str());
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
        copy.path = path;
        copy.running = !processEnded(pid);
        if (auto devices = load(path)) copy.devices = std::move(*devices);
        found.push_back(std::move(copy));
    }
    return found;
}

std::optional<std::vector<SavedDevice>> PointerStateFile::load(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line) || line != Header) return std::nullopt;
    std::vector<SavedDevice> devices;
    while (std::getline(in, line))
        if (auto d = deviceOf(line)) devices.push_back(std::move(*d));
    return devices;
}

} // namespace tintora::x11
