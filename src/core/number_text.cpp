#include "core/number_text.h"

#include <cmath>
#include <cstdlib>

#include "core/rounding.h"

namespace tintora {

NumberPrefix numberPrefix(std::string_view s)
{
    NumberPrefix p;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        p.negative = s[i] == '-';
        ++i;
    }
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        p.hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        p.hex = true;
        i += 2;
    }
    p.digitsAt = i;
    return p;
}

int digitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string oneDecimal(double v, const std::string& decimalSeparator)
{
    if (!std::isfinite(v)) return "nan";
    const double tenths = roundHalfEven(v * 10.0);
    const long long whole = std::llabs(static_cast<long long>(tenths));
    std::string text = tenths < 0 ? "-" : "";
    return text + std::to_string(whole / 10) + decimalSeparator + std::to_string(whole % 10);
}

} // namespace tintora
