#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/stored_options.h"
#include "settings/ini_file.h"
#include "settings/settings_text.h"

namespace tintora {

// The settings file as the program reads it: its INI text, decoded from
// UTF-16 where the file is UTF-16.
struct SettingsDocument {
    IniDocument ini;
    SettingsText text; // the file's text and how it is stored
};

// The file at path; an empty document when it does not exist; nothing when
// it exists but cannot be used (readFile says which files those are), and
// then error says why.
std::optional<SettingsDocument> readSettingsFile(const std::string& path, std::string& error);

// The file's new bytes: bytes with what changed since loaded written in
// place (writeStoredOptions), in the file's own encoding.
std::string bytesWithSettings(std::string_view bytes, const IniDocument& loaded, const StoredOptions& options,
                              std::string_view decimalSeparator);

enum class SaveOutcome {
    Unchanged, // the file already holds these values: nothing was written
    Written,
    Failed,    // error says why; the file is as it was
    LeftAlone, // reached through links the program does not follow (error
               // says which): neither read nor written, as at the start
};

// Saves into the file at path the options that changed since loaded (the
// file as the start read it): the file is read as it is now, the new bytes
// made once, and written in one step (replaceFile) only when they differ
// from the file's. A file that cannot be read is never written over.
SaveOutcome saveSettingsFile(const std::string& path, const IniDocument& loaded, const StoredOptions& options,
                             std::string_view decimalSeparator, std::string& error);

} // namespace tintora
