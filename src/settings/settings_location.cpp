#include "settings/settings_location.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tintora {

std::string settingsFilePath(const SettingsPlace& place)
{
    const bool besideProgram = !place.installedCopy && (place.programDirWritable || place.fileInProgramDir);
    if (besideProgram || (place.xdgConfigHome.empty() && place.home.empty()))
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
    place.installedCopy = isInstalledProgramDir(dir);
    return settingsFilePath(place);
}

} // namespace tintora
