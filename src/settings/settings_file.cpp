#include "settings/settings_file.h"

#include "platform/files.h"
#include "settings/settings_location.h"
#include "settings/settings_values.h"

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

std::string bytesWithSettings(std::string_view bytes, const ProgramState& state, std::string_view decimalSeparator)
{
    SettingsText text = decodeSettingsText(bytes);
    IniDocument ini = IniDocument::parse(text.text);
    ini.setValue("GENERAL", "onTop", writeBool(state.options.alwaysOnTop));
    ini.setValue("GENERAL", "HexMode", writeBool(state.options.hexadecimal));
    ini.setValue("GENERAL", "DecMode", writeBool(state.options.fractions));
    ini.setValue("MAGNIFIER", "ShowMag", writeBool(state.options.magnifierShown));
    ini.setValue("MAGNIFIER", "Zoom", writeZoom(state.options.zoom, decimalSeparator));
    ini.setValue("MAGNIFIER", "SlowMouse", writeBool(state.options.slowPointer));
    // Written once the LUT window has been shown, or where the file names
    // it: until then a file from before the window stays as it was (one the
    // user made read-only included).
    if (state.options.lutCurvesShown || !ini.value("LUT", "ShowCurves").empty())
        ini.setValue("LUT", "ShowCurves", writeBool(state.options.lutCurvesShown));
    text.text = ini.text();
    return encodeSettingsText(text);
}

SaveOutcome saveSettingsFile(const std::string& path, const ProgramState& state, std::string_view decimalSeparator,
                             std::string& error)
{
    const std::optional<std::string> bytes = readFile(path, error);
    if (!bytes) return SaveOutcome::Failed;
    const std::string updated = bytesWithSettings(*bytes, state, decimalSeparator);
    if (updated == *bytes) return SaveOutcome::Unchanged;
    if (!makeParentDirectories(path)) {
        error = "cannot make the folder of " + path;
        return SaveOutcome::Failed;
    }
    return replaceFile(path, updated, error) ? SaveOutcome::Written : SaveOutcome::Failed;
}

} // namespace tintora
