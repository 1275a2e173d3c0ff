#pragma once

// The program's command line: what it answers without opening a display (its
// version and usage), the probe's options, and what is left for the start
// position.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/geometry.h"

namespace tintora {

// "Tintora <version>", the version being the one the build was made from.
std::string versionLine();

// The usage: how the program is started and every option it reads.
std::string usageText();

// What "--help" or "--version" asks for: its text, and what it is in words
// for a message about it ("the usage", "the version").
struct RequestedInformation {
    std::string text;
    const char* what = "";
};

// The information "--help" or "--version" asks for, whichever of them comes
// first in args (program path excluded); nothing when neither is there and
// the program is to start.
std::optional<RequestedInformation> requestedInformation(const std::vector<std::string>& args);

// What the command line asks for. Every argument that starts with "--" is one
// of the options of the usage; all other arguments ("-x 100", anything else)
// are left, in order, for the start-position parser.
struct ProgramOptions {
    std::vector<Point> probePoints; // --at X,Y, in the order given
    bool json = false;              // --json: the probe's lines as JSON objects
    bool lutTable = false;          // --lut: every output's ramp as CSV
    bool profiles = false;          // --profile: every output's display profile
    std::vector<std::string> positionArgs;
    bool pick = false;              // --pick: the windows open in the pick mode (wlroots)

    // Whether the program reads and prints instead of opening its windows.
    bool probing() const { return !probePoints.empty() || lutTable || profiles; }
};

// A command line that cannot be obeyed: one line saying why.
struct OptionError {
    std::string message;
};

// Reads the "--" options ("--at X,Y" or "--at=X,Y"; X and Y whole decimal
// numbers, either may be negative). Unknown options, a missing or malformed
// value, combinations that mean nothing (--json without --at; --lut, --at and
// --profile with each other), and with --at, --lut or --profile any other
// argument than the position options
// and their values are errors. --help and --version are answered before this
// (requestedInformation) and read here as known options without a value.
std::variant<ProgramOptions, OptionError> parseProgramOptions(const std::vector<std::string>& args);

} // namespace tintora
