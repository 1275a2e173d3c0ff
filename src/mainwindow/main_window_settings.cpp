#include "mainwindow/main_window_settings.h"

#include <iostream>

#include "settings/settings_file.h"
#include "settings/settings_keys.h"

using namespace tintora;

MainWindowSettings::MainWindowSettings(std::string decimalSeparator) : m_decimalSeparator(std::move(decimalSeparator)) {}

StoredOptions MainWindowSettings::load(const std::string& path)
{
    std::string error;
    // An unreadable file reads like a missing one, every key its default;
    // the close will not write over it.
    const std::optional<SettingsDocument> file = readSettingsFile(path, error);
    if (!file)
        std::cerr << "tintora: the settings file cannot be used (" << error
                  << "); the program starts with the defaults and will not write the file.\n";
    m_loadedSettings = file ? file->ini : IniDocument();
    m_settingsUnused = !file;
    return readStoredOptions(m_loadedSettings, m_decimalSeparator);
}

std::optional<std::string> MainWindowSettings::save(const std::string& path, const StoredOptions& options)
{
    std::string error;
    const SaveOutcome outcome = saveSettingsFile(path, m_loadedSettings, options, m_decimalSeparator, error);
    // A file left alone from the start was said so then; only a change since is news.
    if (outcome != SaveOutcome::Failed && (outcome != SaveOutcome::LeftAlone || m_settingsUnused)) return std::nullopt;
    std::cerr << "tintora: the settings were not saved: " << error << '\n';
    return "Unable to write to " + path;
}
