#pragma once

#include <string>

namespace tintora {

// An error message as the error box and the standard error show it: a "." is
// added unless the message ends in "." or in a character of lower code.
std::string errorBoxText(const std::string& message);

} // namespace tintora
