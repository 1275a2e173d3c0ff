#include "settings/settings_keys.h"

#include <array>
#include <string>
#include <variant>

#include "settings/settings_values.h"

namespace tintora {

namespace {

// An on/off option: "1" or "0" in the file, any whole number read back.
struct FlagValue {
    bool StoredOptions::*option;
    bool fallback; // for a missing or unreadable value

    void read(StoredOptions& options, std::string_view text, std::string_view) const
    {
        options.*option = readBool(text).value_or(fallback);
    }
    std::string text(const StoredOptions& options, std::string_view) const { return writeBool(options.*option); }
};

// The magnifier's zoom, with the decimal separator of the user's locale.
struct ZoomValue {
    double StoredOptions::*option;
    double fallback; // for a missing, unreadable or unusable value

    void read(StoredOptions& options, std::string_view text, std::string_view decimalSeparator) const
    {
        options.*option = zoomFromFile(readZoom(text, decimalSeparator), fallback);
    }
    std::string text(const StoredOptions& options, std::string_view decimalSeparator) const
    {
        return writeZoom(options.*option, decimalSeparator);
    }
};

// One key of the settings file and the option it holds.
struct SettingsKey {
    const char* section;
    const char* key;
    std::variant<FlagValue, ZoomValue> value;
    // A file without the key gets it only once the option has left its
    // fallback: until then such a file stays as it was.
    bool addedOnlyOffFallback = false;
};

// Every key of the file, in the order a save writes them.
const std::array<SettingsKey, 7> SettingsKeys{{
    {"GENERAL", "onTop", FlagValue{&StoredOptions::alwaysOnTop, false}},
    {"GENERAL", "HexMode", FlagValue{&StoredOptions::hexadecimal, false}},
    {"GENERAL", "DecMode", FlagValue{&StoredOptions::fractions, false}},
    {"MAGNIFIER", "ShowMag", FlagValue{&StoredOptions::magnifierShown, false}},
    {"MAGNIFIER", "Zoom", ZoomValue{&StoredOptions::zoom, kDefaultZoom}},
    {"MAGNIFIER", "SlowMouse", FlagValue{&StoredOptions::slowPointer, false}},
    // Newer than the other keys: a file from before the LUT window (one the
    // user made read-only included) is left alone until the window is shown.
    {"LUT", "ShowCurves", FlagValue{&StoredOptions::lutCurvesShown, false}, true},
}};

} // namespace

StoredOptions readStoredOptions(const IniDocument& ini, std::string_view decimalSeparator)
{
    StoredOptions options;
    for (const SettingsKey& entry : SettingsKeys) {
        const std::string text = ini.value(entry.section, entry.key);
        std::visit([&](const auto& value) { value.read(options, text, decimalSeparator); }, entry.value);
    }
    return options;
}

void writeStoredOptions(IniDocument& ini, const IniDocument& loaded, const StoredOptions& options,
                        std::string_view decimalSeparator)
{
    const StoredOptions atStart = readStoredOptions(loaded, decimalSeparator);
    for (const SettingsKey& entry : SettingsKeys) {
        const bool missing = ini.value(entry.section, entry.key).empty();
        const bool changed =
            std::visit([&](const auto& value) { return options.*value.option != atStart.*value.option; }, entry.value);
        const bool atFallback =
            std::visit([&](const auto& value) { return options.*value.option == value.fallback; }, entry.value);
        if (entry.addedOnlyOffFallback && atFallback && missing) continue;
        // A key the user edited or deleted on disk while the program ran is
        // the user's, unless the run changed the option too. Every other key
        // gets the program's value: a key missing from the start is added,
        // one that did not read is written with the value in use.
        const bool editedOnDisk = ini.value(entry.section, entry.key) != loaded.value(entry.section, entry.key);
        if (!changed && editedOnDisk) continue;
        ini.setValue(entry.section, entry.key,
                     std::visit([&](const auto& value) { return value.text(options, decimalSeparator); }, entry.value));
    }
}

} // namespace tintora
