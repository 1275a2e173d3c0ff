#include "settings/settings_location.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tintora {

std::string settingsFilePath(const SettingsPlace& place)
{
    if (place.programDirWritable || place.fileInProgramDir || (place.xdgConfigHome.empty() && place.home.empty()))
        return place.programDir + SettingsFileName;
    std::string base = place.xdgConfigHome;
    if (base.empty() || base.front() != '/') base = place.home + "/.config";
    if (base.back() != '/') base += '/';
    return base + "tintora/" + SettingsFileName;
}

namespace {

bool writableDirectory(const std::string& dir)
{
    struct stat st {};
    // No write bit at all is read-only for root too.
    return ::access(dir.c_str(), W_OK) == 0 && ::stat(dir.c_str(), &st) == 0 && (st.st_mode & 0222) != 0;
}

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

} // namespace

bool makeParentDirectories(const std::string& filePath)
{
    for (std::size_t slash = filePath.find('/', 1); slash != std::string::npos; slash = filePath.find('/', slash + 1)) {
        const std::string dir = filePath.substr(0, slash);
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

std::string settingsFilePathFor(const std::string& programDir)
{
    SettingsPlace place;
    place.programDir = programDir;
    const std::string dir = programDir.empty() ? "." : programDir;
    place.programDirWritable = writableDirectory(dir);
    place.fileInProgramDir = ::access((programDir + SettingsFileName).c_str(), F_OK) == 0;
    place.xdgConfigHome = environment("XDG_CONFIG_HOME");
    place.home = environment("HOME");
    return settingsFilePath(place);
}

} // namespace tintora
