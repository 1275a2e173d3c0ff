#pragma once

// What the program has changed of the pointer, kept on disk as the pointer
// record (platform/pointer_record.h) while it is changed, so that whatever
// ends the program (a crash, the task manager) the user's own setting comes
// back: at once through the watchdog process, at the latest at the next
// start.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/pointer_record.h"
#include "platform/win32/win32_api.h"

namespace tintora::win32 {

// A running process, told apart from a later one that got the same id.
struct ProcessIdentity {
    DWORD pid = 0;
    std::uint64_t started = 0; // creation time, FILETIME ticks
    friend bool operator==(const ProcessIdentity&, const ProcessIdentity&) = default;
};

ProcessIdentity currentProcess();
// Whether that very process still runs.
bool isRunning(const ProcessIdentity& process);

struct PointerChanges {
    ProcessIdentity owner;
    // The user's pointer speed and the speed the program set; both 0 while
    // the speed is the user's.
    int userSpeed = 0;
    int setSpeed = 0;
    // Whether the program holds the pointer in a rectangle (ClipCursor).
    bool confined = false;

    bool any() const { return setSpeed != 0 || confined; }
};

// The changes as a record: the speed is the setting SpeedSettingId named
// SpeedSettingName, its value one word. And back: nothing when the record
// holds anything else, or speeds off the 1-20 scale.
inline constexpr int SpeedSettingId = 0;
inline constexpr const char* SpeedSettingName = "speed";
PointerRecord recordOf(const PointerChanges& changes);
std::optional<PointerChanges> changesOf(const PointerRecord& record);

// One file per process: %LOCALAPPDATA%\Tintora\pointer-<pid>.state, written
// whole and read as a file of the program's own (replaceOwnFile, readOwnFile
// in platform/files.h: never through a link or other reparse point, at most
// kMostPointerRecordBytes read) and removed once nothing is changed; the
// folder goes when the last file goes.
class PointerStateFiles {
public:
    // The folder for these files; empty when the system names none.
    static std::wstring folder();

    // Writes the changes of changes.owner, or removes its file when there are
    // none. False when the file could not be written.
    static bool save(const PointerChanges& changes);
    static void remove(const ProcessIdentity& owner);

    // Every readable state file's changes.
    static std::vector<PointerChanges> all();
    static std::optional<PointerChanges> of(const ProcessIdentity& owner);
    // The records of every process but self, and whether each still runs.
    static std::vector<OtherCopy> others(const ProcessIdentity& self);

    // The file's text and back; nothing when the text is not a state file.
    static std::string text(const PointerChanges& changes);
    static std::optional<PointerChanges> parse(const std::string& text);
};

// Sets the pointer speed (1-20) for this session: not written to the user's
// profile, no settings-change broadcast.
void setSessionPointerSpeed(int speed);

// Gives back what changes records: the speed as valueToGiveBack says with
// the other copies' records (only where the system still shows the speed
// set), the pointer freed when it was held. Then removes the record.
void giveBack(const PointerChanges& changes, const std::vector<OtherCopy>& others);

} // namespace tintora::win32
