#include <gtest/gtest.h>

#include "settings/settings_location.h"

using namespace tintora;

TEST(SettingsLocation, besideTheProgramUnlessThatCannotBeWritten)
{
    const struct {
        bool writable, fileThere;
        const char* xdg;
        const char* home;
        const char* expected;
    } cases[] = {
        {true, false, "/x/cfg", "/home/u", "/opt/t/Tintora.ini"},
        {true, true, "", "/home/u", "/opt/t/Tintora.ini"},
        // A file the user keeps beside a read-only program is still used.
        {false, true, "/x/cfg", "/home/u", "/opt/t/Tintora.ini"},
        {false, false, "/x/cfg", "/home/u", "/x/cfg/tintora/Tintora.ini"},
        {false, false, "/x/cfg/", "/home/u", "/x/cfg/tintora/Tintora.ini"},
        {false, false, "", "/home/u", "/home/u/.config/tintora/Tintora.ini"},
        {false, false, "relative/cfg", "/home/u", "/home/u/.config/tintora/Tintora.ini"},
        // Nowhere else to go: beside the program, where saving will report
        // that it cannot write.
        {false, false, "", "", "/opt/t/Tintora.ini"},
    };
    for (const auto& c : cases) {
        const SettingsPlace place{"/opt/t/", c.writable, c.fileThere, c.xdg, c.home};
        EXPECT_EQ(settingsFilePath(place), c.expected) << c.writable << c.fileThere << c.xdg;
    }
}

TEST(SettingsLocation, installedCopyKeepsItsSettingsWithTheUser)
{
    // Even where the program's directory can be written (root running
    // /usr/bin/tintora), or a settings file lies there.
    const struct {
        bool writable, fileThere;
        const char* xdg;
        const char* home;
        const char* expected;
    } cases[] = {
        {true, false, "/x/cfg", "/root", "/x/cfg/tintora/Tintora.ini"},
        {true, true, "", "/root", "/root/.config/tintora/Tintora.ini"},
        {false, false, "/x/cfg", "/home/u", "/x/cfg/tintora/Tintora.ini"},
        {false, false, "", "", "/usr/bin/Tintora.ini"},
    };
    for (const auto& c : cases) {
        SettingsPlace place{"/usr/bin/", c.writable, c.fileThere, c.xdg, c.home};
        place.installedCopy = true;
        EXPECT_EQ(settingsFilePath(place), c.expected) << c.writable << c.fileThere << c.xdg;
    }
}
