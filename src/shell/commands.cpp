#include "shell/commands.h"

#include <algorithm>

namespace tintora {

std::optional<std::size_t> matchCommand(const CommandTable& table, const KeyChord& key)
{
    if (key.altGr || key.key == keys::Unknown) return std::nullopt;
    const int code = shortcutCode(key);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Command& c = table[i];
        if (c.shortcut == code ||
            std::find(c.secondaryShortcuts.begin(), c.secondaryShortcuts.end(), code) != c.secondaryShortcuts.end())
            return i;
    }
    return std::nullopt;
}

std::string errorBoxText(const std::string& message)
{
    if (message.empty()) return message;
    const auto last = static_cast<unsigned char>(message.back());
    // UTF-8: a last byte of 0x80 and above belongs to a character above ".".
    return last > static_cast<unsigned char>('.') ? message + "." : message;
}

} // namespace tintora
