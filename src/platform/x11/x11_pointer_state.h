#pragma once

// The pointer devices' own settings, kept on disk while the program has
// changed them, so that a start after a crash can give them back.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// The state file of one process for one display, under $XDG_RUNTIME_DIR
// (/tmp/tintora-$UID without it): tintora-pointer-<display>-<pid>.state.
// Writes are atomic (a temporary file renamed over the old one).
class PointerStateFile {
public:
    // displayName is the connection's display string (":0", "host:10.0").
    explicit PointerStateFile(const std::string& displayName);

    // Replaces the file with devices; an empty list removes it. False when
    // the file could not be written.
    bool save(const std::vector<SavedDevice>& devices);
    void remove() const;

    // State files for this display whose process no longer runs (or that
    // carry this process's id, left by an earlier process that had it).
    std::vector<std::string> orphans() const;

    // The devices in a state file; nothing when it cannot be read. Lines that
    // do not parse are skipped.
    static std::optional<std::vector<SavedDevice>> load(const std::string& path);

private:
    // The directory the files go to (made when create is set); empty when
    // there is none that is safe to use.
    static std::string directory(bool create);

    std::string m_name;
    std::string m_prefix; // "tintora-pointer-<display>-"
    std::string m_path;   // once the file has been written
};

} // namespace tintora::x11
