#include "core/program_options.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "core/command_line.h"

#ifndef TINTORA_VERSION
#error "TINTORA_VERSION must be defined by the build (CMake's project version)"
#endif

namespace tintora {

namespace {

// A whole decimal number with an optional minus sign, within int.
std::optional<int> wholeNumber(std::string_view text)
{
    if (text.empty() || text.front() == '+') return std::nullopt;
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::optional<Point> pointOf(std::string_view text)
{
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto x = wholeNumber(text.substr(0, comma));
    const auto y = wholeNumber(text.substr(comma + 1));
    if (!x || !y) return std::nullopt;
    return Point{*x, *y};
}

using Apply = std::optional<std::string> (*)(ProgramOptions& options, std::string_view value);

// One "--" option: its name, the name of its value (none for a switch), its
// lines in the usage, and how it changes the options (an error message, or
// nothing). The usage lists them in this order.
struct KnownOption {
    std::string_view name;
    std::string_view valueName;
    std::string_view help; // lines after the first are indented by the usage
    Apply apply;
};

std::optional<std::string> answeredBefore(ProgramOptions&, std::string_view) { return std::nullopt; }

const KnownOption Options[] = {
    {"--at", "X,Y",
     "print the colour at root-window pixel (X, Y) as drawn and after\n"
     "the gamma ramp, with the three ramp entries and the output's name\n"
     "and, where a display profile applies, whether its calibration is\n"
     "loaded and the colour in CIE L*a*b* as intended and as seen, one\n"
     "line per point; X and Y are whole numbers; repeatable",
     [](ProgramOptions& o, std::string_view value) -> std::optional<std::string> {
         const auto p = pointOf(value);
         if (!p)
             return "--at needs X,Y, two whole numbers such as 300,300, not \"" + std::string(value) + "\"";
         o.probePoints.push_back(*p);
         return std::nullopt;
     }},
    {"--json", "",
     "print each --at point as one JSON object instead, with the size of\n"
     "the output's own ramp, whether the ramp is the identity and what\n"
     "the display profile says",
     [](ProgramOptions& o, std::string_view) -> std::optional<std::string> {
         o.json = true;
         return std::nullopt;
     }},
    {"--lut", "",
     "print the gamma ramp of every output as CSV\n"
     "(output,level,red,green,blue; levels 0 to 255)",
     [](ProgramOptions& o, std::string_view) -> std::optional<std::string> {
         o.lutTable = true;
         return std::nullopt;
     }},
    {"--profile", "",
     "print each output's display profile: its description, its size,\n"
     "whether it has a calibration (vcgt) and whether that is loaded in\n"
     "the output's gamma ramp, one line per output",
     [](ProgramOptions& o, std::string_view) -> std::optional<std::string> {
         o.profiles = true;
         return std::nullopt;
     }},
    {"--pick", "",
     "open in the pick mode, where the pointer over other windows is\n"
     "followed only while the mode lasts (wlroots compositors such as\n"
     "sway): for a key the compositor binds to start Tintora",
     [](ProgramOptions& o, std::string_view) -> std::optional<std::string> {
         o.pick = true;
         return std::nullopt;
     }},
    {"--help", "", "print this help and exit", answeredBefore},
    {"--version", "", "print the version and exit", answeredBefore},
};

const KnownOption* optionNamed(std::string_view name)
{
    for (const KnownOption& known : Options)
        if (known.name == name) return &known;
    return nullptr;
}

} // namespace

std::string versionLine()
{
    return std::string("Tintora ") + TINTORA_VERSION + "\n";
}

std::string usageText()
{
    constexpr std::size_t HelpColumn = 14;
    std::string text = "Usage: tintora [-x LEFT] [-y TOP] [--pick]\n"
                       "       tintora --at X,Y [--at X,Y ...] [--json]\n"
                       "       tintora --lut\n"
                       "       tintora --profile\n"
                       "       tintora --help | --version\n"
                       "\n"
                       "Shows the colour of the pixel under the mouse pointer twice: as applications\n"
                       "drew it (Bitmap) and as it leaves the display adapter after the adapter's\n"
                       "gamma ramp (LUT). Needs an X11 session, GNOME's Wayland session or a\n"
                       "wlroots compositor (sway, Hyprland). --at, --lut and --profile print\n"
                       "instead, without a window.\n"
                       "\n"
                       "Options:\n"
                       "  -x LEFT     put the main window's left edge at LEFT (screen pixels)\n"
                       "  -y TOP      put the main window's top edge at TOP (screen pixels)\n"
                       "              LEFT and TOP are whole numbers, decimal or hexadecimal after\n"
                       "              \"$\" or \"0x\"; the options may be written in capitals. With\n"
                       "              no argument at all the window opens centred on the primary\n"
                       "              monitor.\n";
    for (const KnownOption& known : Options) {
        std::string left = "  " + std::string(known.name);
        if (!known.valueName.empty()) left += " " + std::string(known.valueName);
        left.resize(std::max(left.size() + 2, HelpColumn), ' ');
        text += left;
        for (const char c : known.help) {
            text += c;
            if (c == '\n') text += std::string(HelpColumn, ' ');
        }
        text += '\n';
    }
    text += "\n"
            "In the program, F1 shows the help window with every key. See tintora(1).\n";
    return text;
}

std::optional<RequestedInformation> requestedInformation(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--help") return RequestedInformation{usageText(), "the usage"};
        if (arg == "--version") return RequestedInformation{versionLine(), "the version"};
    }
    return std::nullopt;
}

std::variant<ProgramOptions, OptionError> parseProgramOptions(const std::vector<std::string>& args)
{
    ProgramOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            options.positionArgs.push_back(arg);
            continue;
        }
        const auto equals = arg.find('=');
        const std::string_view name = std::string_view(arg).substr(0, equals);
        const KnownOption* known = optionNamed(name);
        if (!known) return OptionError{"unknown option " + std::string(name)};
        std::string_view value;
        if (known->valueName.empty()) {
            if (equals != std::string::npos) return OptionError{std::string(name) + " takes no value"};
        } else if (equals != std::string::npos) {
            value = std::string_view(arg).substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return OptionError{std::string(name) + " needs " + std::string(known->valueName)};
        }
        if (auto error = known->apply(options, value)) return OptionError{std::move(*error)};
    }
    if (options.json && options.probePoints.empty()) return OptionError{"--json goes with --at"};
    if (options.lutTable && !options.probePoints.empty()) return OptionError{"--lut and --at cannot be combined"};
    if (options.profiles && !options.probePoints.empty())
        return OptionError{"--profile and --at cannot be combined"};
    if (options.profiles && options.lutTable) return OptionError{"--profile and --lut cannot be combined"};
    if (options.pick && options.probing()) return OptionError{"--pick opens the windows: it cannot be combined with "
                                                              "--at, --lut or --profile"};
    // The probe opens no window, so it has no use for the position options,
    // but they are the program's own words; any other is a mistake.
    if (options.probing()) {
        const std::vector<std::string>& words = options.positionArgs;
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (positionOption(words[i]) != PositionOption::None)
                ++i; // and its value
            else
                return OptionError{"unknown argument \"" + words[i] + "\""};
        }
    }
    return options;
}

} // namespace tintora
