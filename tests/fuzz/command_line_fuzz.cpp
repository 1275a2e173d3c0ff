// The command line: the arguments (NUL-separated in the input) as "-X n" and
// "-Y n" options, and every argument read as a position number.
//
// The expectations are properties, not a second parser: numbers printed by
// the standard library read back as their value (or the nearest end of the
// range), blanks around a number and the way hexadecimal is marked never
// matter, and the last "-X" and "-Y" decide.

#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

// Up to 8 bytes of text as a number, so the fuzzer steers the values too.
std::int64_t numberFrom(std::string_view text)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, text.data(), std::min(text.size(), sizeof bits));
    // Small values, where most forms differ, as often as large ones.
    const int shift = text.empty() ? 0 : static_cast<unsigned char>(text[0]) % 64;
    return static_cast<std::int64_t>(bits) >> shift;
}

std::string printed(const char* format, std::uint64_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Any text: blanks and control characters around it never count, and the
// five ways to mark hexadecimal are one.
void checkAnyText(std::string_view text)
{
    const std::int32_t got = positionNumber(text);
    const std::string padded = " \t" + std::string(text) + "\r\n\x01";
    FUZZ_CHECK(positionNumber(padded) == got);

    for (const char* sign : {"", "-", "+"}) {
        const std::int32_t dollar = positionNumber(sign + std::string("$") + std::string(text));
        for (const char* mark : {"x", "X", "0x", "0X"})
            FUZZ_CHECK(positionNumber(sign + std::string(mark) + std::string(text)) == dollar);
    }
}

// A number as the standard library prints it, decimal or hexadecimal, with
// and without a sign, alone or followed by text that is no digit.
void checkPrintedNumber(std::int64_t n, std::string_view tail)
{
    const bool negative = n < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    const std::string sign = negative ? "-" : "";

    // Decimal: the value within the signed 32-bit range, the nearest end
    // beyond it.
    const std::string decimal = sign + printed("%" PRIu64, magnitude);
    const std::int32_t value = n < kMin ? kMin : n > kMax ? kMax : static_cast<std::int32_t>(n);
    FUZZ_CHECK(positionNumber(decimal) == value);
    if (!negative) FUZZ_CHECK(positionNumber("+" + decimal) == value);

    // Hexadecimal: 32 bits as the two's complement they spell, the nearest
    // end of the range beyond 32 bits.
    const std::string hex = sign + printed("$%" PRIX64, magnitude);
    const auto bits = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
    const std::int32_t hexValue =
        magnitude > 0xFFFFFFFFu ? (negative ? kMin : kMax) : static_cast<std::int32_t>(bits);
    FUZZ_CHECK(positionNumber(hex) == hexValue);
    FUZZ_CHECK(positionNumber(sign + printed("0x%" PRIx64, magnitude)) == hexValue);

    // Followed by something that is no digit: the digits before it, without
    // the sign; past the range, one end of it.
    const std::string junk = "g" + std::string(tail);
    const std::int32_t decimalPrefix = positionNumber(decimal + junk);
    if (magnitude <= static_cast<std::uint64_t>(kMax))
        FUZZ_CHECK(decimalPrefix == static_cast<std::int32_t>(magnitude));
    else if (magnitude > 0xFFFFFFFFu)
        FUZZ_CHECK(decimalPrefix == kMin || decimalPrefix == kMax);
    const std::int32_t hexPrefix = positionNumber(hex + junk);
    if (magnitude <= 0xFFFFFFFFu)
        FUZZ_CHECK(hexPrefix == static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude)));
    else
        FUZZ_CHECK(hexPrefix == kMin || hexPrefix == kMax);
}

// Whether an argument could be read as an option at all: it starts with '-'
// once blanks are gone.
bool looksLikeOption(std::string_view a)
{
    const std::string_view s = trimControl(a);
    return !s.empty() && s.front() == '-';
}

void checkStartPosition(const std::vector<std::string>& args, std::int64_t left, std::int64_t top)
{
    const std::optional<StartPosition> pos = parseStartPosition(args);
    FUZZ_CHECK(pos.has_value() == !args.empty());
    if (!pos) return;

    // An argument in front that is not an option changes nothing.
    std::vector<std::string> withWord{"tintora"};
    withWord.insert(withWord.end(), args.begin(), args.end());
    FUZZ_CHECK(parseStartPosition(withWord) == pos);

    // Without anything that looks like an option the window goes to (0, 0).
    std::vector<std::string> words;
    for (const std::string& a : args)
        if (!looksLikeOption(a)) words.push_back(a);
    if (!words.empty()) FUZZ_CHECK(parseStartPosition(words) == (StartPosition{0, 0}));

    // The last "-X" and the last option starting with "-Y" decide, whatever
    // came before, in either case and with blanks around.
    const auto l = static_cast<std::int32_t>(left % 100000);
    const auto t = static_cast<std::int32_t>(top % 100000);
    std::vector<std::string> placed = args;
    placed.insert(placed.end(), {" -x\t", std::to_string(l), "-y" + args.front(), std::to_string(t)});
    FUZZ_CHECK(parseStartPosition(placed) == (StartPosition{l, t}));
    placed.insert(placed.end(), {"-X", std::to_string(t)});
    FUZZ_CHECK(parseStartPosition(placed) == (StartPosition{t, t}));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    if (!input.empty())
        for (const std::string_view part : fuzz::splitAtNul(input)) args.emplace_back(part);

    for (const std::string& a : args) {
        checkAnyText(a);
        checkPrintedNumber(numberFrom(a), a);
    }
    const std::int64_t left = args.empty() ? 0 : numberFrom(args.front());
    const std::int64_t top = args.empty() ? 0 : numberFrom(args.back());
    checkStartPosition(args, left, top);
    return 0;
}
