#include "settings/settings_file.h"

#include "platform/files.h"
#include "settings/settings_keys.h"

namespace tintora {

std::optional<SettingsDocument> readSettingsFile(const std::string& path, std::string& error)
{
    const std::optional<std::string> bytes = readFile(path, error);
    if (!bytes) return std::nullopt;
    SettingsDocument document;
    document.text = decodeSettingsText(*bytes);
    document.ini = IniDocument::parse(document.text.text);
    return document;
}

std::string bytesWithSettings(std::string_view bytes, const IniDocument& loaded, const StoredOptions& options,
                              std::string_view decimalSeparator)
{
    SettingsText text = decodeSettingsText(bytes);
    IniDocument ini = IniDocument::parse(text.text);
    writeStoredOptions(ini, loaded, options, decimalSeparator);
    text.text = ini.text();
    return encodeSettingsText(text);
}

SaveOutcome saveSettingsFile(const std::string& path, const IniDocument& loaded, const StoredOptions& options,
                             std::string_view decimalSeparator, std::string& error)
{
    if (!linksAreTheUsers(path, error)) return SaveOutcome::LeftAlone;
    const std::optional<std::string> bytes = readFile(path, error);
    if (!bytes) return SaveOutcome::Failed;
    const std::string updated = bytesWithSettings(*bytes, loaded, options, decimalSeparator);
    if (updated == *bytes) return SaveOutcome::Unchanged;
    if (!makeParentDirectories(path)) {
        error = "cannot make the folder of " + path;
        return SaveOutcome::Failed;
    }
    return replaceFile(path, updated, error) ? SaveOutcome::Written : SaveOutcome::Failed;
}

} // namespace tintora
