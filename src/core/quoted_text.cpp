#include "core/quoted_text.h"

namespace tintora {

std::string quotedText(const std::string& text, Quoting quoting)
{
    static const char digits[] = "0123456789abcdef";
    const bool json = quoting == Quoting::Json;
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || (c == 0x7F && !json)) {
            out += json ? "\\u00" : "\\x";
            out += digits[c >> 4];
            out += digits[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

} // namespace tintora
