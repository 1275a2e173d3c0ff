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

bool processRuns(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

} // namespace

bool SavedDevice::wrote(const MatrixBits& value) const
{
    return std::find(written.begin(), written.end(), value) != written.end();
}

std::string PointerStateFile::directory(bool create)
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat st {};
        if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) return runtime;
    }
    // Our own directory, not a name anyone could have put a link at.
    const std::string dir = "/tmp/tintora-" + std::to_string(::getuid());
    if (create) ::mkdir(dir.c_str(), 0700);
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return {};
    return dir;
}

PointerStateFile::PointerStateFile(const std::string& displayName)
    : m_name("tintora-pointer-" + fileKey(displayName) + "-" + std::to_string(::getpid()) + Suffix),
      m_prefix("tintora-pointer-" + fileKey(displayName) + "-")
{
}

bool PointerStateFile::save(const std::vector<SavedDevice>& devices)
{
    if (devices.empty()) {
        remove();
        return true;
    }
    if (m_path.empty()) {
        const std::string dir = directory(true);
        if (dir.empty()) return false;
        m_path = dir + "/" + m_name;
    }
    const std::string temporary = m_path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << Header << '\n';
        for (const SavedDevice& d : devices) {
            out << "device " << d.id << ' ' << hexOf(d.name) << ' ' << matrixText(d.original);
            for (const MatrixBits& w : d.written) out << ' ' << matrixText(w);
            out << '\n';
        }
        out.flush();
        if (!out) {
            ::unlink(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), m_path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void PointerStateFile::remove() const
{
    if (!m_path.empty()) ::unlink(m_path.c_str());
}

std::vector<std::string> PointerStateFile::orphans() const
{
    std::vector<std::string> found;
    const std::string dir = directory(false);
    if (dir.empty()) return found;
    std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(dir.c_str()), ::closedir);
    if (!listing) return found;
    const std::string suffix = Suffix;
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string name = entry->d_name;
        if (name.size() <= m_prefix.size() + suffix.size() || !name.starts_with(m_prefix) || !name.ends_with(suffix))
            continue;
        const std::string digits = name.substr(m_prefix.size(), name.size() - m_prefix.size() - suffix.size());
        const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
        if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), isDigit)) continue;
        const pid_t pid = static_cast<pid_t>(std::stol(digits));
        if (pid == ::getpid() || !processRuns(pid)) found.push_back(dir + "/" + name);
    }
    std::sort(found.begin(), found.end());
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
