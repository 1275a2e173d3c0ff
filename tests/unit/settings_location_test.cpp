#include <gtest/gtest.h>

#include "settings/settings_location.h"

using namespace tintora;

TEST(SettingsLocation, besideTheProgramUnlessThatCannotBeWritten)
{
    const struct {
        const char* programDir;
        bool writable, fileThere;
        const char* configHome;
        const char* expected;
    } cases[] = {
        {"/opt/t/", true, false, "/x/cfg", "/opt/t/Tintora.ini"},
        {"/opt/t/", true, true, "", "/opt/t/Tintora.ini"},
        // A file the user keeps beside a read-only program is still used.
        {"/opt/t/", false, true, "/x/cfg", "/opt/t/Tintora.ini"},
        {"/opt/t/", false, false, "/x/cfg", "/x/cfg/tintora/Tintora.ini"},
        {"/opt/t/", false, false, "/x/cfg/", "/x/cfg/tintora/Tintora.ini"},
        {"C:\\Program Files\\Tintora\\", false, false, "C:\\Users\\u\\AppData\\Roaming",
         "C:\\Users\\u\\AppData\\Roaming\\tintora\\Tintora.ini"},
        {"C:\\Tintora #2\\", true, false, "C:\\Users\\u\\AppData\\Roaming", "C:\\Tintora #2\\Tintora.ini"},
        // Nowhere else to go: beside the program, where saving will report
        // that it cannot write.
        {"/opt/t/", false, false, "", "/opt/t/Tintora.ini"},
    };
    for (const auto& c : cases) {
        const SettingsPlace place{c.programDir, c.writable, c.fileThere, c.configHome};
        EXPECT_EQ(settingsFilePath(place), c.expected) << c.programDir << c.writable << c.fileThere << c.configHome;
    }
}

TEST(SettingsLocation, installedCopyKeepsItsSettingsWithTheUser)
{
    // Even where the program's directory can be written (root running
    // /usr/bin/tintora), or a settings file lies there.
    const struct {
        bool writable, fileThere;
        const char* configHome;
        const char* expected;
    } cases[] = {
        {true, false, "/x/cfg", "/x/cfg/tintora/Tintora.ini"},
        {true, true, "/root/.config", "/root/.config/tintora/Tintora.ini"},
        {false, false, "/x/cfg", "/x/cfg/tintora/Tintora.ini"},
        {false, false, "", "/usr/bin/Tintora.ini"},
    };
    for (const auto& c : cases) {
        SettingsPlace place{"/usr/bin/", c.writable, c.fileThere, c.configHome};
        place.installedCopy = true;
        EXPECT_EQ(settingsFilePath(place), c.expected) << c.writable << c.fileThere << c.configHome;
    }
}
