#pragma once

// Where the X11 backend keeps its pointer record (platform/pointer_record.h)
// while the program has changed a device, so that the watchdog or a start
// after a crash can give the devices back.

#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "platform/pointer_record.h"

namespace tintora::x11 {

// The state file of one process for one display:
// tintora-pointer-<display>-<pid>.state in $XDG_RUNTIME_DIR or, where that is
// missing, cannot be written or is not private, in a private folder of the
// user's under the temporary directory ($TMPDIR or /tmp): tintora-<uid>, made
// with mode 0700. Private means a directory (not a link) owned by the user
// that nobody else may enter; a folder that is not (someone else's, or open
// to others, where links of theirs may already be) is not used, nor made
// private. Written and read as files of the program's own (replaceOwnFile,
// readOwnFile in platform/files.h): never through a link, a crash leaves the
// old file or the new one.
class PointerStateFile {
public:
    // displayName is the connection's display string (":0", "host:10.0");
    // pid the process whose file this is (this process by default).
    explicit PointerStateFile(const std::string& displayName, pid_t pid = 0);

    // Replaces the file with the record of the devices' settings; an empty
    // list removes it. False when the file could not be written; the first
    // time no place at all can be written, standard error says so.
    bool save(const std::vector<ChangedSetting>& devices);
    void remove() const;

    // Where the file is: the path it was last saved to or, before any save,
    // wherever a file of this process is found; empty when there is none.
    std::string existingPath() const;

    // State files for this display whose process has ended (or that carry
    // this file's process id, left by an earlier process that had it).
    std::vector<std::string> orphans() const;
    // The record of every state file for this display but this one, and
    // whether its process runs; a file load() cannot read records nothing.
    std::vector<OtherCopy> others() const;

    // The record in a state file; nothing when it is not a regular file of
    // the user's, holds more than kMostPointerRecordBytes (never read past
    // them) or is not a record.
    static std::optional<PointerRecord> load(const std::string& path);

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
    bool m_toldUnreadable = false;
};

} // namespace tintora::x11
