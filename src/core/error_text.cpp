#include "core/error_text.h"

namespace tintora {

std::string errorBoxText(const std::string& message)
{
    if (message.empty()) return message;
    const auto last = static_cast<unsigned char>(message.back());
    // UTF-8: a last byte of 0x80 and above belongs to a character above ".".
    return last > static_cast<unsigned char>('.') ? message + "." : message;
}

} // namespace tintora
