#pragma once

// What the program has changed of the pointer, as every backend keeps it on
// disk while it is changed (one file per running copy of the program), so
// that whatever ends the program the user's own settings come back: at once
// through the watchdog process, at the latest at the next start. The backends
// find, read and write the files and the devices; the record's text and the
// rule of what to give back are here.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tintora {

// A value of the pointer's exactly as the system holds it, word for word: a
// device's "Coordinate Transformation Matrix" as the bit patterns of its nine
// floats (X11), the system's pointer speed as one word (Win32). Values are
// compared and given back bit for bit.
using PointerValue = std::vector<std::uint32_t>;

// One setting the program has changed: a device's (X11) or the system's
// (Win32).
struct ChangedSetting {
    // The device's id and name: a device plugged in later under the same id
    // has another name and is not this one. The backend's own names for
    // settings of the system.
    int id = 0;
    std::string name;
    // The user's own value, to be given back.
    PointerValue original;
    // What the program may have left on the setting: first the value it set
    // last and, while a change is being made, second the one it is writing.
    // A setting that shows anything else was changed by the user since.
    std::vector<PointerValue> written;

    bool wrote(const PointerValue& value) const;
    bool isSetting(int otherId, std::string_view otherName) const { return id == otherId && name == otherName; }
    friend bool operator==(const ChangedSetting&, const ChangedSetting&) = default;
};

struct PointerRecord {
    // The process whose changes these are: its id and, where the system
    // tells a later process with the same id apart by it, its start time
    // (0 where not).
    std::uint32_t ownerPid = 0;
    std::uint64_t ownerStarted = 0;
    std::vector<ChangedSetting> settings;
    // Whether the program holds the pointer in a rectangle (a confinement
    // that would outlive the program; X11's barriers die with it).
    bool confined = false;

    bool empty() const { return settings.empty() && !confined; }
    friend bool operator==(const PointerRecord&, const PointerRecord&) = default;
};

// The record of another copy of the program for the same display or session,
// and whether that copy still runs.
struct OtherCopy {
    PointerRecord record;
    bool running = false;
};

// The file's text:
//
//   tintora pointer record 1
//   owner <pid> <start time>
//   setting <id> <name> <original> <written> [<being written>]   (any number)
//   confined                                                       (when so)
//
// every line ending in "\n". Numbers are decimal; a name is "-" when empty,
// otherwise its bytes with all but letters, digits, '.' and '_' as %XX; a
// value is its words as eight lowercase hexadecimal digits each, separated
// by commas.
std::string pointerRecordText(const PointerRecord& record);

// The record a text holds; nothing when it is not exactly such a text
// (anything out of place, a line or a file cut short, numbers out of range,
// values of different lengths in one setting, a setting twice, more than
// kMostRecordedSettings settings). A file that an earlier version of the
// X11 backend left ("tintora-pointer-state 1" with its "device" lines) reads
// as the record it means, its owner unknown (0).
std::optional<PointerRecord> parsePointerRecord(std::string_view text);

// The record's text for its file, checked to read back: nothing, and why
// (for the user) in why, when parsePointerRecord would not give the record
// back from it (past kMostPointerRecordBytes or kMostRecordedSettings, a
// name or value past its limit, a setting twice, ...). A record that would
// not read is refused when written, not found out at the next start, when
// the settings it keeps can no longer be given back.
std::optional<std::string> pointerRecordFileText(const PointerRecord& record, std::string& why);

inline constexpr std::size_t kMostRecordedSettings = 1024;
// A record's file is never read past this many bytes. The record of a few
// devices is a few hundred bytes; a hundred devices with names of ordinary
// length (a few dozen bytes) still fit.
inline constexpr std::size_t kMostPointerRecordBytes = std::size_t{64} << 10;
inline constexpr std::size_t kMostValueWords = 16;
inline constexpr std::size_t kMostNameBytes = 1024;

// What giving a recorded setting back writes, now that it shows current:
// nothing when current is not a value the record wrote (the user's own since)
// or already the one to write. Otherwise the original, unless another copy
// that still runs has changed the same setting from the same original: then
// the value that copy set last, so that the copy keeps its change and the
// last copy to end leaves the original. Records of copies that have ended
// count for nothing here.
std::optional<PointerValue> valueToGiveBack(const ChangedSetting& setting, const PointerValue& current,
                                            std::span<const OtherCopy> others);

// The user's own value of a setting that shows current: where another copy
// (running or ended) recorded current as a value it wrote, the original it
// recorded; current itself otherwise. This is what a change scales, never a
// value another copy has already changed.
PointerValue originalUnder(int id, std::string_view name, const PointerValue& current,
                           std::span<const OtherCopy> others);

} // namespace tintora
