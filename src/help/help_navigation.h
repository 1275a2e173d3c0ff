#pragma once

#include <string>
#include <string_view>

namespace tintora {

// The help page's address: "res://" + the executable's full path, as it is,
// + "/HELP".
std::string helpAddress(std::string_view executablePath);
// The path part of that address: the executable's full path + "/HELP".
std::string helpPagePath(std::string_view executablePath);

enum class Navigation {
    InsideTheView,  // the view loads the address itself
    SystemBrowser,  // handed to the system's default browser, view stays
};

// Web addresses ("http://" or "https://" anywhere in the text, letter case as
// written) go to the system browser; everything else is loaded in the view.
Navigation navigationFor(std::string_view address);

// Text of the help page's windows-1251 bytes as UTF-8.
std::string windows1251ToUtf8(std::string_view bytes);

} // namespace tintora
