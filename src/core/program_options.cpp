#include "core/program_options.h"

#ifndef TINTORA_VERSION
#error "TINTORA_VERSION must be defined by the build (CMake's project version)"
#endif

namespace tintora {

std::string versionLine()
{
    return std::string("Tintora ") + TINTORA_VERSION + "\n";
}

std::string usageText()
{
    return "Usage: tintora [-x LEFT] [-y TOP]\n"
           "       tintora --help | --version\n"
           "\n"
           "Shows the colour of the pixel under the mouse pointer twice: as applications\n"
           "drew it (Bitmap) and as it leaves the display adapter after the adapter's\n"
           "gamma ramp (LUT). Needs an X11 session.\n"
           "\n"
           "Options:\n"
           "  -x LEFT     put the main window's left edge at LEFT (screen pixels)\n"
           "  -y TOP      put the main window's top edge at TOP (screen pixels)\n"
           "              LEFT and TOP are whole numbers, decimal or hexadecimal after\n"
           "              \"$\" or \"0x\"; the options may be written in capitals. With\n"
           "              no argument at all the window opens centred on the primary\n"
           "              monitor.\n"
           "  --help      print this help and exit\n"
           "  --version   print the version and exit\n"
           "\n"
           "In the program, F1 shows the help window with every key. See tintora(1).\n";
}

std::optional<std::string> requestedInformation(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--help") return usageText();
        if (arg == "--version") return versionLine();
    }
    return std::nullopt;
}

} // namespace tintora
