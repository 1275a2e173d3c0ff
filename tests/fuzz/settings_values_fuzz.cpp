// Values of the settings file: the Boolean reader and the zoom reader and
// writer. The input is the value's text, optionally followed by a NUL and the
// decimal separator of the system's locale ("." without one).

#include <cerrno>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "core/command_line.h"
#include "settings/settings_values.h"

using namespace tintora;

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// ---- Booleans -------------------------------------------------------------

// readBool's promise, worked out with from_chars: a whole number within 32
// bits is true when not zero; anything else is nothing.
std::optional<bool> expectedBool(std::string_view text)
{
    std::string_view s = trimmed(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    bool hex = false;
    if (s.starts_with("0x") || s.starts_with("0X")) {
        hex = true;
        s.remove_prefix(2);
    } else if (s.starts_with("$") || s.starts_with("x") || s.starts_with("X")) {
        hex = true;
        s.remove_prefix(1);
    }
    if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt; // from_chars would take a "-"
    std::uint64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, hex ? 16 : 10);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    const std::uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    if (v > limit) return std::nullopt;
    return v != 0;
}

void checkBool(std::string_view text)
{
    const std::optional<bool> got = readBool(text);
    FUZZ_CHECK(got == expectedBool(text));
    FUZZ_CHECK(readBool(" \t" + std::string(text) + "\r\n") == got);
    // The same number as a window position: zero exactly when false.
    if (got) FUZZ_CHECK((positionNumber(text) != 0) == *got);
}

// ---- Zoom -----------------------------------------------------------------

// A separator for which the form of a number is unambiguous: no digits,
// exponent letters, signs or blanks in it.
bool plainSeparator(std::string_view sep)
{
    if (sep.empty()) return false;
    for (const char c : sep)
        if (isDigit(c) || c == 'e' || c == 'E' || c == '+' || c == '-' || isBlank(c)) return false;
    return true;
}

// text in the spelling strtod knows in the "C" locale, when it has the form
// readZoom takes.
std::optional<std::string> cSpelling(std::string_view text, std::string_view sep)
{
    std::string_view s = trimmed(text);
    std::string out;
    const auto digits = [&] {
        std::size_t n = 0;
        while (n < s.size() && isDigit(s[n])) ++n;
        out.append(s.substr(0, n));
        s.remove_prefix(n);
        return n > 0;
    };
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        out += s.front();
        s.remove_prefix(1);
    }
    if (!digits()) return std::nullopt;
    if (s.starts_with(sep)) {
        s.remove_prefix(sep.size());
        out += '.';
        if (!digits()) return std::nullopt;
    }
    if (!s.empty() && (s.front() == 'e' || s.front() == 'E')) {
        out += 'e';
        s.remove_prefix(1);
        if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
            out += s.front();
            s.remove_prefix(1);
        }
        if (!digits()) return std::nullopt;
    }
    if (!s.empty()) return std::nullopt;
    return out;
}

void checkReadZoom(std::string_view text, std::string_view sep)
{
    const std::optional<double> got = readZoom(text, sep);
    if (got) FUZZ_CHECK(!std::isnan(*got) && !std::isinf(*got));

    // Whatever the file holds, the magnifier gets a usable zoom.
    const double zoom = zoomFromFile(got);
    FUZZ_CHECK(std::isfinite(zoom) && zoom >= kSmallestFileZoom);
    if (got && *got >= kSmallestFileZoom) FUZZ_CHECK(zoom == *got);

    if (!plainSeparator(sep)) return;
    const std::optional<std::string> c = cSpelling(text, sep);
    if (!c) {
        FUZZ_CHECK(!got);
        return;
    }
    errno = 0;
    const double r = std::strtod(c->c_str(), nullptr);
    if (errno == ERANGE && std::isinf(r)) {
        FUZZ_CHECK(!got); // too large for a double
    } else if (errno == ERANGE) {
        FUZZ_CHECK(!got || std::fabs(*got) <= DBL_MIN); // too small: nothing or about 0
    } else {
        FUZZ_CHECK(got && *got == r);
    }
}

// writeZoom's text: printf's "%.15G" with the given separator, and the
// exponent without "+" and leading zeros.
std::string printfSpelling(double v, std::string_view sep)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", v);
    std::string out;
    for (const char* p = buf; *p; ++p) {
        if (*p == '.') {
            out += sep;
        } else if (*p == 'E') {
            out += 'E';
            ++p;
            if (*p == '-') out += '-';
            ++p;
            while (p[0] == '0' && p[1] != '\0') ++p;
            out += p;
            break;
        } else {
            out += *p;
        }
    }
    return out;
}

void checkWriteZoom(double v, std::string_view sep)
{
    const std::string text = writeZoom(v, sep);
    if (!std::isfinite(v)) {
        FUZZ_CHECK(!readZoom(text, sep)); // never read back as a number
        return;
    }
    FUZZ_CHECK(text == printfSpelling(v, sep));
    if (!plainSeparator(sep)) return;

    // What was written reads back as the same 15 digits; only a value that
    // rounds past the largest double does not read back.
    const std::optional<double> back = readZoom(text, sep);
    if (!back) {
        FUZZ_CHECK(std::fabs(v) > 1.79769313486231e308);
        return;
    }
    FUZZ_CHECK(writeZoom(*back, sep) == text);
    if (std::fabs(v) >= DBL_MIN) FUZZ_CHECK(std::fabs(*back - v) <= std::fabs(v) * 1e-14);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string_view text = input.substr(0, nul);
    const std::string_view sep = nul == std::string_view::npos ? std::string_view(".") : input.substr(nul + 1);

    checkBool(text);
    for (const bool b : {false, true}) FUZZ_CHECK(readBool(writeBool(b)) == b);

    checkReadZoom(text, sep);
    if (const std::optional<double> read = readZoom(text, sep)) checkWriteZoom(*read, sep);
    // Any bit pattern, not-a-number, infinities and subnormals included.
    if (size >= sizeof(double)) {
        double v;
        std::memcpy(&v, data, sizeof v);
        checkWriteZoom(v, sep);
    }
    return 0;
}
