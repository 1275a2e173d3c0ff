// The colour dialog's typed text: the hexadecimal field, the decimal field and
// the numeric fields (with their ranges), and palette strings. The input is
// the text as typed or pasted.

#include <cerrno>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "colourdialog/colour_entry.h"
#include "colourdialog/palettes.h"
#include "fuzz_check.h"

using namespace tintora;

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Hexadecimal digits read as one number, red first, its lowest 24 bits (the
// last six digits) kept; nothing when a character is not a digit or there are
// none.
std::optional<ColourValue> colourOfDigits(std::string_view digits)
{
    if (digits.empty()) return std::nullopt;
    const std::string_view low = digits.size() > 6 ? digits.substr(digits.size() - 6) : digits;
    for (const char c : digits)
        if (!isDigit(c) && !(c >= 'A' && c <= 'F') && !(c >= 'a' && c <= 'f')) return std::nullopt;
    std::uint32_t n = 0;
    std::from_chars(low.data(), low.data() + low.size(), n, 16);
    return ((n >> 16) & 0xFFu) | (n & 0xFF00u) | ((n & 0xFFu) << 16);
}

void checkHexField(std::string_view text)
{
    const ColourValue got = hexFieldColour(text);

    // The first run between unfilled positions, upper-cased, without one
    // trailing "H".
    std::size_t begin = 0;
    while (begin < text.size() && (text[begin] == HexBlank || text[begin] == ' ')) ++begin;
    std::size_t end = begin;
    while (end < text.size() && text[end] != HexBlank && text[end] != ' ') ++end;
    std::string_view run = text.substr(begin, end - begin);
    if (!run.empty() && (run.back() == 'H' || run.back() == 'h')) run.remove_suffix(1);
    FUZZ_CHECK(got == colourOfDigits(run).value_or(0));

    if (hexFieldComplete(text)) {
        FUZZ_CHECK(text.size() == HexFieldPositions);
        for (const char c : text) FUZZ_CHECK(hexFieldHolds(static_cast<unsigned char>(c)));
    }
}

void checkPaletteString(std::string_view text)
{
    constexpr std::string_view breaks = " \t\r\n";
    const std::size_t begin = text.find_first_not_of(breaks);
    const std::string_view word =
        begin == std::string_view::npos ? std::string_view() : text.substr(begin).substr(0, text.substr(begin).find_first_of(breaks));
    FUZZ_CHECK(colourOfString(text) == colourOfDigits(word).value_or(0));
}

// ---- Numbers --------------------------------------------------------------

struct TypedNumber {
    bool negative = false;
    std::string whole;
    std::string fraction;
};

// The typed form: spaces, a sign, digits with a fraction after "." or ",",
// spaces; at least one digit.
std::optional<TypedNumber> typedNumber(std::string_view s)
{
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    TypedNumber n;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        n.negative = s.front() == '-';
        s.remove_prefix(1);
    }
    while (!s.empty() && isDigit(s.front())) {
        n.whole += s.front();
        s.remove_prefix(1);
    }
    if (!s.empty() && (s.front() == '.' || s.front() == ',')) {
        s.remove_prefix(1);
        while (!s.empty() && isDigit(s.front())) {
            n.fraction += s.front();
            s.remove_prefix(1);
        }
    }
    if (!s.empty() || (n.whole.empty() && n.fraction.empty())) return std::nullopt;
    return n;
}

void checkNumber(std::string_view text)
{
    const std::optional<double> got = parseNumber(text);
    const std::optional<TypedNumber> n = typedNumber(text);
    FUZZ_CHECK(got.has_value() == n.has_value());
    if (!n) return;
    FUZZ_CHECK(!std::isnan(*got));
    FUZZ_CHECK(std::signbit(*got) == n->negative);

    // The nearest double, as strtod gives it in the "C" locale; a number too
    // large for a double is as large as one goes, one too small about 0.
    const std::string c = "0" + n->whole + "." + n->fraction + "0";
    errno = 0;
    const double r = std::strtod(c.c_str(), nullptr);
    const double magnitude = std::fabs(*got);
    if (errno == ERANGE && std::isinf(r)) FUZZ_CHECK(magnitude == HUGE_VAL);
    else if (errno == ERANGE) FUZZ_CHECK(magnitude <= DBL_MIN);
    else FUZZ_CHECK(magnitude == r);
}

// The ranges of the dialog's numeric fields: hue, saturation and brightness
// in percent, and the channels.
constexpr struct {
    double min, max;
} kFieldRanges[] = {{0, 359}, {0, 100}, {0, 255}};

void checkTypedValue(std::string_view text)
{
    const std::optional<double> number = parseNumber(text);
    for (const auto& range : kFieldRanges) {
        const double v = typedValue(text, range.min, range.max);
        FUZZ_CHECK(v >= range.min && v <= range.max);
        if (number && *number >= range.min && *number <= range.max) FUZZ_CHECK(v == *number);
        if (!number) FUZZ_CHECK(v == 0);

        // What the field then shows: the nearest whole number, a half to the
        // even one.
        const int shown = shownInteger(v);
        const double off = std::fabs(shown - v);
        FUZZ_CHECK(off <= 0.5);
        if (off == 0.5) FUZZ_CHECK(shown % 2 == 0);
        FUZZ_CHECK(shown >= range.min && shown <= range.max);
    }
}

// The decimal field: the whole part modulo 2^24, counted from below for a
// negative number. 2^24 divides 10^24, so the last 24 digits decide.
void checkDecimalField(std::string_view text)
{
    const ColourValue got = decimalFieldColour(text);
    FUZZ_CHECK(got <= 0xFFFFFFu);
    const std::optional<TypedNumber> n = typedNumber(text);
    if (!n) {
        FUZZ_CHECK(got == 0);
        return;
    }
    std::string digits = n->whole;
    if (digits.size() > 24) digits.erase(0, digits.size() - 24);
    digits.insert(0, 24 - digits.size(), '0');
    std::uint64_t high = 0, low = 0;
    std::from_chars(digits.data(), digits.data() + 12, high);
    std::from_chars(digits.data() + 12, digits.data() + 24, low);
    constexpr std::uint64_t mask = 0xFFFFFF;
    const std::uint64_t modulo = (high * (1000000000000ull & mask) + low) & mask;
    FUZZ_CHECK(got == (n->negative ? (0x1000000u - modulo) & mask : modulo));
}

// A typed character that is not a control key and gets through fills a
// position with a digit of the colour.
void checkTypedCharacter(char32_t c)
{
    if (!hexFieldLetsThrough(c) || c < 32) return;
    FUZZ_CHECK(c < 128 && hexFieldHolds(c));
    const std::string six(HexFieldPositions, static_cast<char>(c));
    FUZZ_CHECK(hexFieldColour(six) == colourOfDigits(six));
}

// Colours shown in the fields read back as themselves.
void checkRoundTrips(ColourValue colour)
{
    const ColourValue c = colour & 0xFFFFFFu;
    FUZZ_CHECK(hexFieldColour(hexFieldText(c)) == c);
    FUZZ_CHECK(hexFieldComplete(hexFieldText(c)));
    FUZZ_CHECK(colourOfString(hexFieldText(c)) == c);
    FUZZ_CHECK(decimalFieldColour(decimalFieldText(colour)) == c);
    FUZZ_CHECK(decimalFieldText(colour) == decimalFieldText(c));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkHexField(text);
    checkPaletteString(text);
    checkNumber(text);
    checkTypedValue(text);
    checkDecimalField(text);

    for (const unsigned char c : text) checkTypedCharacter(c);
    if (size >= 4) checkTypedCharacter(static_cast<char32_t>(data[0]) | static_cast<char32_t>(data[1]) << 8 |
                                       static_cast<char32_t>(data[2]) << 16 | static_cast<char32_t>(data[3]) << 24);

    ColourValue colour = 0;
    for (std::size_t i = 0; i < size && i < 4; ++i) colour |= static_cast<ColourValue>(data[i]) << (8 * i);
    checkRoundTrips(colour);
    return 0;
}
