#include "core/command_line.h"

#include <limits>

#include "core/number_text.h"

namespace tintora {

std::string_view trimControl(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
    return s;
}

std::int32_t positionNumber(std::string_view text)
{
    const std::string_view s = trimControl(text);
    const NumberPrefix prefix = numberPrefix(s);
    const bool negative = prefix.negative;
    const bool hex = prefix.hex;
    std::size_t i = prefix.digitsAt;

    // Accumulate in 64 bits so that leaving the 32-bit range is seen.
    const unsigned base = hex ? 16u : 10u;
    std::int64_t value = 0;
    bool anyDigit = false;
    bool overflow = false;
    for (; i < s.size(); ++i) {
        const int d = digitValue(s[i], hex);
        if (d < 0) break;
        const std::int64_t next = value * base + d;
        // Hexadecimal may spell the full 32-bit pattern ($FFFFFFFF is -1).
        const std::int64_t limit = hex ? std::int64_t{0xFFFFFFFF}
                                       : std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
        if (next > limit) {
            overflow = true;
            break;
        }
        value = next;
        anyDigit = true;
    }

    // Digits past the 32-bit range: the nearest value of the range.
    if (overflow) return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    // Any other text that does not fit the form: the digits read, no sign.
    if (!anyDigit || i != s.size()) return static_cast<std::int32_t>(value);
    if (hex) {
        const auto bits = static_cast<std::uint32_t>(value);
        const auto v = static_cast<std::int32_t>(bits);
        return negative ? static_cast<std::int32_t>(0u - bits) : v;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

PositionOption positionOption(std::string_view arg)
{
    std::string a(trimControl(arg));
    for (char& c : a)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (a == "-X") return PositionOption::Left;
    if (a.rfind("-Y", 0) == 0) return PositionOption::Top;
    return PositionOption::None;
}

std::optional<StartPosition> parseStartPosition(const std::vector<std::string>& args)
{
    if (args.empty()) return std::nullopt;
    StartPosition pos;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view next = i + 1 < args.size() ? std::string_view(args[i + 1]) : std::string_view();
        switch (positionOption(args[i])) {
        case PositionOption::Left: pos.left = positionNumber(next); break;
        case PositionOption::Top: pos.top = positionNumber(next); break;
        case PositionOption::None: break;
        }
    }
    return pos;
}

} // namespace tintora
