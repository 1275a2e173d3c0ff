#include "platform/files.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

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

// The file a write to path replaces: through a symbolic link, the file it
// points to; the link stays as it is.
std::string resolvedTarget(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string target = real;
            std::free(real);
            return target;
        }
    }
    return path;
}

// Whether target may be written: it is missing (existing stays empty), or
// a regular file the user may write (existing is its status).
bool mayWrite(const std::string& target, std::optional<struct stat>& existing, std::string& error)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;
        error = withReason(target, errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = target + ": not a regular file";
        return false;
    }
    if (::access(target.c_str(), W_OK) != 0) {
        error = withReason(target, errno);
        return false;
    }
    if (!hasWriteBits(st)) {
        error = withReason(target, EACCES);
        return false;
    }
    existing = st;
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

// The temporary file that is to replace target, with the owner (where
// allowed) and the permission bits of the file it replaces.
std::optional<TempFile> createTempBeside(const std::string& target, const std::optional<struct stat>& existing,
                                         std::string& error)
{
    std::string name;
    // 0666 so that the umask decides a new file's permissions, as for any new file.
    const int fd = createFileBeside(target, 0666, name, error);
    if (fd < 0) return std::nullopt;
    if (existing) {
        // The owner and group differ only when someone else's file is saved,
        // say by root.
        [[maybe_unused]] const int owned = ::fchown(fd, existing->st_uid, existing->st_gid);
        if (::fchmod(fd, existing->st_mode & 07777) != 0) {
            error = withReason(name, errno);
            ::close(fd);
            ::unlink(name.c_str());
            return std::nullopt;
        }
    }
    return std::optional<TempFile>(std::in_place, fd, std::move(name));
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
// taken first, so that a full disk fails before anything is changed.
bool rewriteInPlace(const std::string& target, std::string_view contents, std::string& error)
{
    Descriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0) {
        error = withReason(target, errno);
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

// The file opened for reading when it is a regular file; -1 otherwise, with
// missing set when there is none and the reason in error when there is
// another.
int openRegularFile(const std::string& path, bool& missing, std::string& error)
{
    const auto failed = [&] {
        missing = errno == ENOENT;
        if (!missing) error = withReason(path, errno);
        return -1;
    };
    // Looked at before it is opened: opening a device or a pipe can wait or
    // have effects of its own.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return failed();
    if (!S_ISREG(st.st_mode)) {
        error = path + ": not a regular file";
        return -1;
    }
    // Non-blocking, should a pipe have taken the file's place since.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return failed();
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = path + ": not a regular file";
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

std::optional<std::string> readFile(const std::string& path, std::string& error)
{
    bool missing = false;
    const Descriptor file(openRegularFile(path, missing, error));
    if (missing) return std::string();
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
    const std::string target = resolvedTarget(path);
    std::optional<struct stat> existing;
    if (!mayWrite(target, existing, error)) return false;
    std::string tempError;
    if (std::optional<TempFile> temp = createTempBeside(target, existing, tempError))
        return replaceThroughTemp(*temp, target, contents, error);
    // No new file can be made beside it (a read-only folder holding a
    // writable file): the file itself is rewritten.
    if (!existing) {
        error = tempError;
        return false;
    }
    return rewriteInPlace(target, contents, error);
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
