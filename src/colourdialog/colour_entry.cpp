#include "colourdialog/colour_entry.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "colourdialog/palettes.h"
#include "core/colour_text.h"
#include "core/number_text.h"
#include "core/rgb.h"

namespace tintora {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The parts of a typed number, or nothing when the text is not one.
struct NumberText {
    bool negative = false;
    std::string_view whole;    // digits before the separator
    std::string_view fraction; // digits after it
};

std::optional<NumberText> splitNumber(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    NumberText n;
    if (text.front() == '+' || text.front() == '-') {
        n.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t i = 0;
    while (i < text.size() && isDigit(text[i])) ++i;
    n.whole = text.substr(0, i);
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        const std::size_t start = ++i;
        while (i < text.size() && isDigit(text[i])) ++i;
        n.fraction = text.substr(start, i - start);
    }
    if (i != text.size() || (n.whole.empty() && n.fraction.empty())) return std::nullopt;
    return n;
}

} // namespace

bool hexFieldLetsThrough(char32_t c)
{
    if (c < 0x80 && digitValue(static_cast<char>(c), true) >= 0) return true;
    return c == typed::Enter || c == typed::Escape || c == typed::CtrlC || c == typed::CtrlV ||
           c == typed::Backspace;
}

bool hexFieldHolds(char32_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

ColourValue hexFieldColour(std::string_view text)
{
    std::string run;
    bool started = false;
    for (const char c : text) {
        if (c == HexBlank || c == ' ') {
            if (started) break;
            continue;
        }
        started = true;
        run += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (!run.empty() && run.back() == 'H') run.pop_back();
    return colourOfHexDigits(run);
}

bool hexFieldComplete(std::string_view text)
{
    if (text.size() != HexFieldPositions) return false;
    for (const char c : text)
        if (!hexFieldHolds(static_cast<unsigned char>(c))) return false;
    return true;
}

std::optional<double> parseNumber(std::string_view text)
{
    const auto n = splitNumber(text);
    if (!n) return std::nullopt;
    std::string plain(n->whole.empty() ? "0" : n->whole);
    if (!n->fraction.empty()) plain += "." + std::string(n->fraction);
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    // Out of range only for hundreds of digits: before the separator, a number
    // as large as a double goes; after it, one too small for a double, 0.
    if (error == std::errc::result_out_of_range)
        value = n->whole.find_first_not_of('0') != std::string_view::npos ? HUGE_VAL : 0.0;
    else if (error != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
    return n->negative ? -value : value;
}

double clampedValue(double value, double min, double max)
{
    if (std::isnan(value)) value = 0;
    return value < min ? min : value > max ? max : value;
}

double typedValue(std::string_view text, double min, double max)
{
    return clampedValue(parseNumber(text).value_or(0.0), min, max);
}

int shownInteger(double value)
{
    // Halves to the even neighbour, whatever the rounding mode.
    const double r = std::round(value);
    const double v = (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(r, 2.0) != 0) ? r - std::copysign(1.0, value) : r;
    return static_cast<int>(v);
}

ColourValue decimalFieldColour(std::string_view text)
{
    const auto n = splitNumber(text);
    if (!n) return 0;
    // The whole part modulo 2^24, digit by digit: no length overflows.
    std::uint32_t low = 0;
    for (const char c : n->whole) low = withoutTopByte(low * 10 + static_cast<std::uint32_t>(c - '0'));
    if (n->negative) low = withoutTopByte(0x1000000u - low);
    return low;
}

std::string decimalFieldText(ColourValue colour) { return std::to_string(withoutTopByte(colour)); }

std::string hexFieldText(ColourValue colour) { return hexColour(rgbFromColourValue(colour)); }

} // namespace tintora
