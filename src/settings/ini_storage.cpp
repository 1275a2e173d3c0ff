#include "settings/ini_storage.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintora {

namespace {

std::string withReason(const std::string& what, int err) { return what + ": " + std::strerror(err); }

// Closes the descriptor and removes the temporary file unless released.
class TempFile {
public:
    TempFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    // Closes the descriptor: false with errno set when the last writes failed.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    void keep() { path_.clear(); }

private:
    int fd_;
    std::string path_;
};

std::optional<TempFile> createTempBeside(const std::string& target, std::string& error)
{
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = dir + "." + base + "." + std::to_string(::getpid()) + "." +
                                 std::to_string(counter.fetch_add(1)) + ".tmp";
        // 0666 so that the umask decides a new file's permissions, as for any new file.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return std::optional<TempFile>(std::in_place, fd, name);
        if (errno != EEXIST) {
            error = withReason("cannot create a file in " + (dir.empty() ? std::string(".") : dir), errno);
            return std::nullopt;
        }
    }
    error = "cannot create a file in " + (dir.empty() ? std::string(".") : dir) + ": too many names taken";
    return std::nullopt;
}

} // namespace

std::optional<std::string> readFile(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return std::string();
        error = withReason(path, errno);
        return std::nullopt;
    }
    std::string bytes;
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            bytes.append(buf, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            error = withReason(path, errno);
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return bytes;
}

bool writeFileAtomically(const std::string& path, std::string_view contents, std::string& error)
{
    // A link is left in place and the file it points to is replaced.
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }

    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        error = withReason(target, errno);
        return false;
    }
    if (exists) {
        if (!S_ISREG(st.st_mode)) {
            error = target + ": not a regular file";
            return false;
        }
        // The rename below would replace a file the user made read-only.
        // No write bit at all counts as read-only for everyone, root included,
        // so that protecting the file works the same for every user.
        if (::access(target.c_str(), W_OK) != 0) {
            error = withReason(target, errno);
            return false;
        }
        if ((st.st_mode & 0222) == 0) {
            error = withReason(target, EACCES);
            return false;
        }
    }
    {
        const std::size_t slash = target.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
        struct stat dirSt {};
        if (::stat(dir.c_str(), &dirSt) == 0 && (dirSt.st_mode & 0222) == 0) {
            error = withReason(target, EACCES);
            return false;
        }
    }

    std::optional<TempFile> temp = createTempBeside(target, error);
    if (!temp) return false;
    if (exists) {
        // Owner and group as before where allowed (they differ only when
        // someone else's file is saved, say by root); the permission bits always.
        [[maybe_unused]] const int owned = ::fchown(temp->fd(), st.st_uid, st.st_gid);
        if (::fchmod(temp->fd(), st.st_mode & 07777) != 0) {
            error = withReason(temp->path(), errno);
            return false;
        }
    }

    for (std::size_t done = 0; done < contents.size();) {
        const ssize_t n = ::write(temp->fd(), contents.data() + done, contents.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = withReason(temp->path(), errno);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(temp->fd()) != 0 || !temp->close()) {
        error = withReason(temp->path(), errno);
        return false;
    }
    if (::rename(temp->path().c_str(), target.c_str()) != 0) {
        error = withReason(target, errno);
        return false;
    }
    temp->keep();

    // Make the rename itself durable; the file is in place either way.
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace tintora
