#pragma once

// The pointer devices' own settings, kept on disk while the program has
// changed them, so that a start after a crash can give them back.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace tintora::x11 {

// A device's "Coordinate Transformation Matrix": nine 32-bit floats, row by
// row, kept as the server's bit patterns so comparing and restoring is exact.
using MatrixBits = std::array<std::uint32_t, 9>;

// One device whose matrix the program has changed.
struct SavedDevice {
    int id = 0;
    std::string name;
    // The user's own matrix, to be put back.
    MatrixBits original{};
    // What the program may have left on the device: the value it set last
    // and, while a change is being made, the one it is writing. A device that
    // shows anything else was changed by the user and is left alone.
    std::vector<MatrixBits> written;

    bool wrote(const MatrixBits& value) const;
};

// The state file another copy of the program keeps (or left) for the same
// display.
struct OtherCopy {
    std::string path;
    // Its process still runs; a zombie has ended.
    bool running = false;
    // Empty when the file cannot be read.
    std::vector<SavedDevice> devices;
};

// The state file of one process for one display:
// tintora-pointer-<display>-<pid>.state in $XDG_RUNTIME_DIR or, where that is
// missing or cannot be written, in a private folder of the user's under the
// temporary directory ($TMPDIR or /tmp): tintora-<uid>, mode 0700, owned by
// the user. Writes are atomic (a temporary file renamed over the old one).
class PointerStateFile {
public:
    // displayName is the connection's display string (":0", "host:10.0");
    // pid the process whose file this is (this process by default).
    explicit PointerStateFile(const std::string& displayName, pid_t pid = 0);

    // Replaces the file with devices; an empty list removes it. False when
    // the file could not be written; the first time no place at all can be
    // written, standard error says so.
    bool save(const std::vector<SavedDevice>& devices);
    void remove() const;

    // Where the file is: the path it was last saved to or, before any save,
    // wherever a file of this process is found; empty when there is none.
    std::string existingPath() const;

    // State files for this display whose process has ended (or that carry
    // this file's process id, left by an earlier process that had it).
    std::vector<std::string> orphans() const;
    // Every state file for this display but this one.
    std::vector<OtherCopy> others() const;

    // The devices in a state file; nothing when it cannot be read. Lines that
    // do not parse are skipped.
    static std::optional<std::vector<SavedDevice>> load(const std::string& path);

    // Whether the process has ended: gone, or a zombie nobody has reaped yet.
    static bool processEnded(pid_t pid);

private:
    // The directories state files may be in, the preferred one first: the
    // ones that exist and are safe to use, the private folder made when
    // create is set.
    static std::vector<std::string> directories(bool create);
    // Files of this display in the directories: path and process id.
    std::vector<std::pair<std::string, pid_t>> displayFiles() const;

    pid_t m_pid;
    std::string m_name;
    std::string m_prefix; // "tintora-pointer-<display>-"
    std::string m_path;   // once the file has been written
    bool m_toldNoPlace = false;
};

} // namespace tintora::x11
