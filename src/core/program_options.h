#pragma once

// What the program answers on its command line without opening a display:
// its version and its usage.

#include <optional>
#include <string>
#include <vector>

namespace tintora {

// "Tintora <version>", the version being the one the build was made from.
std::string versionLine();

// The usage: how the program is started and every option it reads.
std::string usageText();

// The text that "--help" or "--version" asks for, whichever of them comes
// first in args (program path excluded); nothing when neither is there and
// the program is to start.
std::optional<std::string> requestedInformation(const std::vector<std::string>& args);

} // namespace tintora
