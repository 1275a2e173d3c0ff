// The command line: the arguments (NUL-separated in the input) as "-X n" and
// "-Y n" options, and every argument read as a position number.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "core/command_line.h"

using namespace tintora;

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

bool isControl(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isControl(s.front())) s.remove_prefix(1);
    while (!s.empty() && isControl(s.back())) s.remove_suffix(1);
    return s;
}

bool isDigitOf(char c, bool hex)
{
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

// What positionNumber promises for text, worked out with from_chars: the exact
// value, or nothing when only "one end of the range" is promised (digits past
// the range followed by text that does not fit).
struct Expected {
    std::optional<std::int32_t> value;
    bool clamped = false;
};

Expected expectedPosition(std::string_view text)
{
    const std::string_view s = trimmed(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    bool hex = false;
    if (s.substr(i, 1) == "$" || s.substr(i, 1) == "x" || s.substr(i, 1) == "X") {
        hex = true;
        i += 1;
    } else if (s.substr(i, 2) == "0x" || s.substr(i, 2) == "0X") {
        hex = true;
        i += 2;
    }
    std::size_t end = i;
    while (end < s.size() && isDigitOf(s[end], hex)) ++end;
    const bool wellFormed = end > i && end == s.size();

    std::uint64_t v = 0;
    const auto [p, ec] = std::from_chars(s.data() + i, s.data() + end, v, hex ? 16 : 10);
    const std::uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    const bool overflow = ec == std::errc::result_out_of_range || (end > i && v > limit);
    if (overflow) {
        if (wellFormed) return {negative ? kMin : kMax, true};
        return {std::nullopt, true};
    }
    if (!wellFormed) return {static_cast<std::int32_t>(static_cast<std::uint32_t>(v)), false};
    const auto bits = static_cast<std::uint32_t>(negative ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v));
    return {static_cast<std::int32_t>(bits), false};
}

void checkPosition(std::string_view text)
{
    const std::int32_t got = positionNumber(text);
    const Expected e = expectedPosition(text);
    if (e.value) FUZZ_CHECK(got == *e.value);
    else FUZZ_CHECK(got == kMin || got == kMax);

    // Blanks and control characters around the number never count.
    const std::string padded = " \t" + std::string(text) + "\r\n\x01";
    FUZZ_CHECK(positionNumber(padded) == got);
}

std::string upperTrimmed(std::string_view s)
{
    std::string out(trimmed(s));
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

void checkStartPosition(const std::vector<std::string>& args)
{
    const std::optional<StartPosition> pos = parseStartPosition(args);
    FUZZ_CHECK(pos.has_value() == !args.empty());
    if (!pos) return;

    // The value of an option is the argument after its last occurrence ("-X"
    // exactly, any argument starting with "-Y"), 0 without one.
    std::string_view left, top;
    bool anyLeft = false, anyTop = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string a = upperTrimmed(args[i]);
        const std::string_view next = i + 1 < args.size() ? std::string_view(args[i + 1]) : std::string_view();
        if (a == "-X") {
            left = next;
            anyLeft = true;
        } else if (a.rfind("-Y", 0) == 0) {
            top = next;
            anyTop = true;
        }
    }
    FUZZ_CHECK(pos->left == (anyLeft ? positionNumber(left) : 0));
    FUZZ_CHECK(pos->top == (anyTop ? positionNumber(top) : 0));

    // An argument in front that is not an option changes nothing.
    std::vector<std::string> withWord{"tintora"};
    withWord.insert(withWord.end(), args.begin(), args.end());
    FUZZ_CHECK(parseStartPosition(withWord) == pos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    if (!input.empty())
        for (const std::string_view part : fuzz::splitAtNul(input)) args.emplace_back(part);

    for (const std::string& a : args) checkPosition(a);
    checkStartPosition(args);
    return 0;
}
