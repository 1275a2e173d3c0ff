#pragma once

#include <optional>
#include <string>

#include "core/stored_options.h"
#include "settings/ini_file.h"

// The settings file as the main window keeps it: read at the first show,
// written at the close with only what changed since, so that edits made on
// disk meanwhile stay.
class MainWindowSettings {
public:
    explicit MainWindowSettings(std::string decimalSeparator);

    // The options the file at path gives, every key its default where it
    // has none. A file that cannot be used is said on the standard error,
    // reads like a missing one, and is not written over at the close.
    tintora::StoredOptions load(const std::string& path);
    // Writes options into the file. What to show the user when the save
    // failed, or left alone a file the start could use; nothing otherwise.
    std::optional<std::string> save(const std::string& path, const tintora::StoredOptions& options);

private:
    std::string m_decimalSeparator;
    // The settings file as the start read it (empty without one): the close
    // writes only what changed since, leaving the user's own edits alone.
    tintora::IniDocument m_loadedSettings;
    bool m_settingsUnused = false; // the start could not use the file and said why
};
