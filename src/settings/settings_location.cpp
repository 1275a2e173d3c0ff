#include "settings/settings_location.h"

#include <cstdlib>
#include <string>

#include "platform/files.h"

namespace tintora {

std::string settingsFilePath(const SettingsPlace& place)
{
    const bool besideProgram = !place.installedCopy && (place.programDirWritable || place.fileInProgramDir);
    if (besideProgram || place.configHome.empty()) return place.programDir + SettingsFileName;
    const char separator = place.configHome.find('\\') != std::string::npos ? '\\' : '/';
    std::string base = place.configHome;
    if (base.back() != separator) base += separator;
    return base + "tintora" + separator + SettingsFileName;
}

namespace {

// Whether dir is the directory the build installs the program to.
bool isInstalledProgramDir([[maybe_unused]] const std::string& dir)
{
#ifdef TINTORA_INSTALLED_BINDIR
    char* installed = ::realpath(TINTORA_INSTALLED_BINDIR, nullptr);
    char* actual = ::realpath(dir.c_str(), nullptr);
    const bool same = installed && actual && std::string(installed) == actual;
    std::free(installed);
    std::free(actual);
    return same;
#else
    return false;
#endif
}

} // namespace

std::string settingsFilePathFor(const std::string& programDir)
{
    SettingsPlace place;
    place.programDir = programDir;
    const std::string dir = programDir.empty() ? "." : programDir;
    place.programDirWritable = isWritableDirectory(dir);
    place.fileInProgramDir = pathExists(programDir + SettingsFileName);
    place.configHome = userConfigDirectory();
    place.installedCopy = isInstalledProgramDir(dir);
    return settingsFilePath(place);
}

} // namespace tintora
