#pragma once

#include <string>

namespace tintora {

// The settings file's name, beside the executable.
constexpr const char* SettingsFileName = "Tintora.ini";

// What the choice of the settings file depends on.
struct SettingsPlace {
    std::string programDir;     // with the trailing separator
    bool programDirWritable;    // a file can be created or replaced there
    bool fileInProgramDir;      // Tintora.ini already lies there
    std::string configHome;     // the user's directory for settings, may be empty
    // The executable is the copy installed in the system's program directory
    // (/usr/bin for the package): that directory is never written to, not
    // even by root, who could.
    bool installedCopy = false;
};

// The settings file: beside the executable, unless that directory cannot be
// written and holds no settings file (a program under "Program Files"), or
// is where the program was installed to (an installed package), in which
// case <configHome>/tintora/Tintora.ini, with the separator configHome itself
// uses.
std::string settingsFilePath(const SettingsPlace& place);

// The settings file for this process, looked up on the file system.
std::string settingsFilePathFor(const std::string& programDir);

} // namespace tintora
