#include "settings/settings_values.h"

#include "core/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace tintora {

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }


} // namespace

std::optional<bool> readBool(std::string_view text)
{
    const std::string_view s = trimBlanks(text);
    const NumberPrefix prefix = numberPrefix(s);
    const bool negative = prefix.negative;
    const bool hex = prefix.hex;
    std::size_t i = prefix.digitsAt;
    if (i == s.size()) return std::nullopt;

    // The value must fit 32 bits: signed in decimal, any bit pattern in hex.
    const std::uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    std::uint64_t value = 0;
    for (; i < s.size(); ++i) {
        const int d = digitValue(s[i], hex);
        if (d < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(d);
        if (value > limit) return std::nullopt;
    }
    return value != 0;
}

std::string writeBool(bool value) { return value ? "1" : "0"; }

std::optional<double> readZoom(std::string_view text, std::string_view decimalSeparator)
{
    if (decimalSeparator.empty()) decimalSeparator = ".";
    const std::string_view s = trimBlanks(text);

    // Checked against the form here, then handed to from_chars in the one
    // spelling it knows, so the result never depends on the C locale.
    std::string plain;
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < s.size() && isDigit(s[i])) plain += s[i++];
        return i > start;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') plain += '-';
        ++i;
    }
    if (!digits()) return std::nullopt;
    if (s.substr(i, decimalSeparator.size()) == decimalSeparator) {
        i += decimalSeparator.size();
        plain += '.';
        if (!digits()) return std::nullopt;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
        if (!digits()) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;

    double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
    return value;
}

std::string writeZoom(double value, std::string_view decimalSeparator)
{
    char buf[64];
    const auto [last, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc()) return {};
    const char* const end = last;

    // to_chars spells "%.15g"; the file gets "1E20" and "1E-5".
    std::string out;
    for (const char* p = buf; p != end; ++p) {
        if (*p == '.') {
            out += decimalSeparator;
        } else if (*p == 'e') {
            out += 'E';
            ++p;
            if (*p == '-') out += '-';
            ++p;
            while (p + 1 != end && *p == '0') ++p;
            out.append(p, end);
            break;
        } else {
            out += *p;
        }
    }
    return out;
}

double zoomFromFile(std::optional<double> read, double fallback)
{
    if (!read || !std::isfinite(*read) || *read < kSmallestFileZoom) return fallback;
    return *read;
}

} // namespace tintora
