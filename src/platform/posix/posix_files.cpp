#include "platform/files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintora {

namespace {

std::string withReason(const std::string& what, int err) { return what + ": " + std::strerror(err); }

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// No write bit at all counts as read-only for everyone, root included, so
// that protecting a file or a folder works the same for every user.
bool hasWriteBits(const struct stat& st) { return (st.st_mode & 0222) != 0; }

// Closes the descriptor at the end of its scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // The descriptor, which this no longer closes.
    int release() { return std::exchange(fd_, -1); }
    // Closes now: false with errno set when the last writes failed.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

// Closes the descriptor and removes the temporary file unless kept.
class TempFile {
public:
    TempFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    Descriptor& descriptor() { return fd_; }
    const std::string& path() const { return path_; }
    void keep() { path_.clear(); }
    // The path, which this no longer removes.
    std::string release() { return std::exchange(path_, std::string()); }

private:
    Descriptor fd_;
    std::string path_;
};

// The whole of contents written from the descriptor's offset; false with
// errno set otherwise.
bool writeAll(int fd, std::string_view contents)
{
    for (std::size_t done = 0; done < contents.size();) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The kernel's own limit on the links one path may pass through.
constexpr int kMostLinks = 40;

// Whether a link counts as the user's: made by the user, or by root, whom
// nobody else can be.
bool isUsersLink(const struct stat& st) { return st.st_uid == ::geteuid() || st.st_uid == 0; }

// The text of the link at path; nothing with errno set when it cannot be read.
std::optional<std::string> linkText(const std::string& path, std::size_t size)
{
    std::string text(size + 1, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
        if (n < 0) return std::nullopt;
        if (static_cast<std::size_t>(n) < text.size()) {
            text.resize(static_cast<std::size_t>(n));
            return text;
        }
        // Changed since it was looked at: taken again with more room.
        text.resize(text.size() * 2);
    }
}

// Where a path leads once its links are followed: a path with no link on
// the way but in the folders the path itself names, and the status of what
// is there (nothing when nothing is there).
struct LinkEnd {
    std::string path;
    std::optional<struct stat> status;
};

// Follows the links at path, each part of each link's text taken one at a
// time as the system would, and refuses (nothing, with the reason in error)
// a link that is not the user's or leads to nothing, or a file at the end of
// links that is not the user's. The folders path itself names are where the
// program keeps its settings and are taken as they are.
std::optional<LinkEnd> followUsersLinks(const std::string& path, std::string& error)
{
    const auto refuse = [&](const std::string& why) {
        error = path + ": " + why + ", which is not followed";
        return std::nullopt;
    };
    const std::size_t slash = path.rfind('/');
    std::string dir = directoryOf(path);
    // The parts still to take, the next one last.
    std::vector<std::string> parts{slash == std::string::npos ? path : path.substr(slash + 1)};
    int links = 0;
    while (!parts.empty()) {
        const std::string part = std::move(parts.back());
        parts.pop_back();
        const std::string here = (dir == "/" ? dir : dir + "/") + part;
        struct stat st {};
        if (::lstat(here.c_str(), &st) != 0) {
            if (errno == ENOENT && links == 0) return LinkEnd{here, std::nullopt};
            if ((errno == ENOENT || errno == ENOTDIR) && links > 0) return refuse("a link to " + here + ", where nothing is");
            error = withReason(here, errno);
            return std::nullopt;
        }
        if (S_ISLNK(st.st_mode)) {
            if (!isUsersLink(st))
                return refuse((links == 0 ? "a link" : "the link " + here) + " of another user's (uid " +
                              std::to_string(st.st_uid) + ")");
            if (++links > kMostLinks) return refuse("more than " + std::to_string(kMostLinks) + " links on the way");
            const std::optional<std::string> text = linkText(here, static_cast<std::size_t>(st.st_size));
            if (!text) {
                error = withReason(here, errno);
                return std::nullopt;
            }
            if (text->empty()) return refuse("an empty link");
            if (text->front() == '/') dir = "/";
            std::vector<std::string> named;
            for (std::size_t from = 0; from <= text->size();) {
                const std::size_t to = std::min(text->find('/', from), text->size());
                if (to > from) named.push_back(text->substr(from, to - from));
                from = to + 1;
            }
            parts.insert(parts.end(), named.rbegin(), named.rend());
            continue;
        }
        if (!parts.empty()) {
            // A folder on the way; should it be none, the next part says so.
            dir = here;
            continue;
        }
        if (links > 0 && st.st_uid != ::geteuid())
            return refuse("a link to " + here + ", a file of another user's (uid " + std::to_string(st.st_uid) + ")");
        return LinkEnd{here, st};
    }
    // A link to "/" alone.
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) {
        error = withReason(dir, errno);
        return std::nullopt;
    }
    return LinkEnd{dir, st};
}

// Whether st and other are of the same file.
bool sameFile(const struct stat& st, const struct stat& other)
{
    return st.st_dev == other.st_dev && st.st_ino == other.st_ino;
}

// Whether the end of path's links may be written: nothing is there, or a
// regular file the user may write.
bool mayWrite(const LinkEnd& end, std::string& error)
{
    if (!end.status) return true;
    const std::string& target = end.path;
    if (!S_ISREG(end.status->st_mode)) {
        error = target + ": not a regular file";
        return false;
    }
    if (::access(target.c_str(), W_OK) != 0) {
        error = withReason(target, errno);
        return false;
    }
    if (!hasWriteBits(*end.status)) {
        error = withReason(target, EACCES);
        return false;
    }
    return true;
}

// Whether st is of a regular file of this process's user; the reason in
// error when not.
bool isOwnRegularFile(const struct stat& st, const std::string& path, std::string& error)
{
    if (!S_ISREG(st.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        error = path + ": not a file of this user's";
        return false;
    }
    return true;
}

// A new file beside target under a name of its own, with mode less the
// umask; its descriptor, or -1 with the reason in error. Only a name where
// nothing is, not even a link, is taken.
int createFileBeside(const std::string& target, mode_t mode, std::string& name, std::string& error)
{
    const std::string dir = directoryOf(target);
    struct stat dirSt {};
    if (::stat(dir.c_str(), &dirSt) == 0 && !hasWriteBits(dirSt)) {
        error = withReason("cannot create a file in " + dir, EACCES);
        return -1;
    }
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::string prefix = slash == std::string::npos ? "." + target
                                                          : target.substr(0, slash + 1) + "." + target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix + "." + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return fd;
        if (errno != EEXIST) {
            error = withReason("cannot create a file in " + dir, errno);
            return -1;
        }
    }
    error = "cannot create a file in " + dir + ": too many names taken";
    return -1;
}

// The temporary file that is to replace target, with the owner, group and
// permission bits of the file it replaces; nothing, with the reason in
// error, where it cannot be given them (someone else's file, or a group the
// user is not in).
std::optional<TempFile> createTempBeside(const std::string& target, const std::optional<struct stat>& existing,
                                         std::string& error)
{
    std::string name;
    // 0666 so that the umask decides a new file's permissions, as for any new file.
    const int fd = createFileBeside(target, 0666, name, error);
    if (fd < 0) return std::nullopt;
    TempFile temp(fd, std::move(name));
    if (existing) {
        // Owner and group first: changing them may clear the set-id bits,
        // which the mode then puts back.
        struct stat made {};
        if (::fstat(fd, &made) != 0 ||
            ((made.st_uid != existing->st_uid || made.st_gid != existing->st_gid) &&
             ::fchown(fd, existing->st_uid, existing->st_gid) != 0) ||
            ::fchmod(fd, existing->st_mode & 07777) != 0) {
            error = withReason(temp.path(), errno);
            return std::nullopt;
        }
    }
    return std::optional<TempFile>(std::in_place, temp.descriptor().release(), temp.release());
}

// Writes contents to the temporary file, flushes it to the disk and renames
// it over target.
bool replaceThroughTemp(TempFile& temp, const std::string& target, std::string_view contents, std::string& error)
{
    if (!writeAll(temp.descriptor().get(), contents) || ::fsync(temp.descriptor().get()) != 0 ||
        !temp.descriptor().close()) {
        error = withReason(temp.path(), errno);
        return false;
    }
    if (::rename(temp.path().c_str(), target.c_str()) != 0) {
        error = withReason(target, errno);
        return false;
    }
    temp.keep();
    // Make the rename itself durable; the file is in place either way.
    const Descriptor dir(::open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return true;
}

// Writes contents over the file's own bytes in one write, cuts off what is
// left of the old ones and flushes it to the disk. Room for a longer text is
// taken first, so that a full disk fails before anything is changed. Only the
// file looked at (existing) is written: never one put in its place since,
// nor one a link put there leads to.
bool rewriteInPlace(const std::string& target, const struct stat& existing, std::string_view contents,
                    std::string& error)
{
    Descriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0) {
        error = withReason(target, errno);
        return false;
    }
    if (!sameFile(st, existing)) {
        error = target + ": replaced while being saved";
        return false;
    }
    const auto size = static_cast<off_t>(contents.size());
    // Where the file system cannot reserve room, the write finds out.
    if (size > st.st_size && ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 &&
        (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
        error = withReason(target, errno);
        return false;
    }
    if (!writeAll(file.get(), contents) || ::ftruncate(file.get(), size) != 0 || ::fsync(file.get()) != 0 ||
        !file.close()) {
        error = withReason(target, errno) + " (the file was being rewritten in place and may be damaged)";
        return false;
    }
    return true;
}

std::string tooLarge(const std::string& path, std::size_t limit)
{
    return path + ": larger than " + std::to_string(limit >> 20) + " MB, which no settings file is";
}

// The file at the end of path's links opened for reading when it is a
// regular file; -1 otherwise, with the reason in error.
int openRegularFile(const std::string& path, const LinkEnd& end, std::string& error)
{
    // Looked at before it is opened: opening a device or a pipe can wait or
    // have effects of its own.
    if (!S_ISREG(end.status->st_mode)) {
        error = path + ": not a regular file";
        return -1;
    }
    // Non-blocking, should a pipe have taken the file's place since; and
    // only the file looked at, never one a link put there since leads to.
    const int fd = ::open(end.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    struct stat st {};
    if (fd < 0) {
        error = withReason(path, errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !sameFile(st, *end.status)) {
        ::close(fd);
        error = path + ": replaced while being read";
        return -1;
    }
    return fd;
}

// The rest of the file's bytes, unless there are more than limit (then
// tooLargeError is the error): never more is read, even from a file that grows
// meanwhile.
std::optional<std::string> readAtMost(int fd, const std::string& path, std::size_t limit,
                                      const std::string& tooLargeError, std::string& error)
{
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > static_cast<off_t>(limit)) {
        error = tooLargeError;
        return std::nullopt;
    }
    std::string bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = withReason(path, errno);
            return std::nullopt;
        }
        if (n == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > limit) {
            error = tooLargeError;
            return std::nullopt;
        }
    }
}

} // namespace

bool linksAreTheUsers(const std::string& path, std::string& error)
{
    return followUsersLinks(path, error).has_value();
}

std::optional<std::string> readFile(const std::string& path, std::string& error)
{
    const std::optional<LinkEnd> end = followUsersLinks(path, error);
    if (!end) return std::nullopt;
    if (!end->status) return std::string();
    const Descriptor file(openRegularFile(path, *end, error));
    if (file.get() < 0) return std::nullopt;
    return readAtMost(file.get(), path, kMaxSettingsFileBytes, tooLarge(path, kMaxSettingsFileBytes), error);
}

std::optional<std::string> readOwnFile(const std::string& path, std::size_t maxBytes, std::string& error)
{
    // Looked at before it is opened (opening a pipe or a device can wait or
    // have effects of its own), and once open again: what is read is the file
    // that was looked at.
    struct stat before {};
    if (::lstat(path.c_str(), &before) != 0) {
        error = withReason(path, errno);
        return std::nullopt;
    }
    if (!isOwnRegularFile(before, path, error)) return std::nullopt;
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0) {
        error = withReason(path, errno);
        return std::nullopt;
    }
    if (st.st_dev != before.st_dev || st.st_ino != before.st_ino) {
        error = path + ": replaced while being opened";
        return std::nullopt;
    }
    return readAtMost(file.get(), path, maxBytes, path + ": larger than " + std::to_string(maxBytes) + " bytes", error);
}

bool replaceOwnFile(const std::string& path, std::string_view contents, std::string& error)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!isOwnRegularFile(st, path, error)) return false;
    } else if (errno != ENOENT) {
        error = withReason(path, errno);
        return false;
    }
    std::string name;
    const int fd = createFileBeside(path, 0600, name, error);
    if (fd < 0) return false;
    TempFile temp(fd, std::move(name));
    // The rename takes the name's place, whatever may have been put there
    // meanwhile; nothing is written through it.
    return replaceThroughTemp(temp, path, contents, error);
}

void removeOwnFile(const std::string& path)
{
    struct stat st {};
    std::string error;
    if (::lstat(path.c_str(), &st) == 0 && isOwnRegularFile(st, path, error)) ::unlink(path.c_str());
}

bool replaceFile(const std::string& path, std::string_view contents, std::string& error)
{
    const std::optional<LinkEnd> end = followUsersLinks(path, error);
    if (!end || !mayWrite(*end, error)) return false;
    const std::optional<struct stat>& existing = end->status;
    // Replacing a file with other hard links would part it from them.
    const bool hardLinked = existing && existing->st_nlink > 1;
    std::string tempError;
    if (!hardLinked) {
        if (std::optional<TempFile> temp = createTempBeside(end->path, existing, tempError))
            return replaceThroughTemp(*temp, end->path, contents, error);
    }
    // No new file can be made beside it (a read-only folder holding a
    // writable file), or none that would be the same file for its owner and
    // its other names: the file itself is rewritten.
    if (!existing) {
        error = tempError;
        return false;
    }
    return rewriteInPlace(end->path, *existing, contents, error);
}

bool isWritableDirectory(const std::string& dir)
{
    struct stat st {};
    return ::access(dir.c_str(), W_OK) == 0 && ::stat(dir.c_str(), &st) == 0 && hasWriteBits(st);
}

bool pathExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool makeParentDirectories(const std::string& filePath)
{
    for (std::size_t slash = filePath.find('/', 1); slash != std::string::npos; slash = filePath.find('/', slash + 1)) {
        const std::string dir = filePath.substr(0, slash);
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

std::string userConfigDirectory()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.config";
    return {};
}

} // namespace tintora
