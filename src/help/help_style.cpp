#include "help/help_style.h"

#include <cctype>
#include <optional>
#include <vector>

#include "core/rounding.h"

namespace tintora {

namespace {

constexpr std::string_view FontSize = "font-size";

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::string lowerCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A "font-size: N%" declaration inside a rule's body: where the number
// starts and ends (the "%" included), and N.
struct PercentSize {
    std::size_t begin = 0;
    std::size_t end = 0;
    double percent = 0;
};

std::optional<PercentSize> percentSizeIn(std::string_view body, std::size_t offset)
{
    const std::string lower = lowerCase(body);
    for (std::size_t at = lower.find(FontSize); at != std::string::npos; at = lower.find(FontSize, at + 1)) {
        std::size_t i = at + FontSize.size();
        while (i < body.size() && std::isspace(static_cast<unsigned char>(body[i]))) ++i;
        if (i >= body.size() || body[i] != ':') continue;
        ++i;
        while (i < body.size() && std::isspace(static_cast<unsigned char>(body[i]))) ++i;
        const std::size_t numberBegin = i;
        double value = 0, scale = 0;
        bool digits = false;
        for (; i < body.size(); ++i) {
            const char c = body[i];
            if (c >= '0' && c <= '9') {
                digits = true;
                if (scale == 0) {
                    value = value * 10 + (c - '0');
                } else {
                    value += (c - '0') * scale;
                    scale /= 10;
                }
            } else if (c == '.' && scale == 0) {
                scale = 0.1;
            } else {
                break;
            }
        }
        if (!digits || i >= body.size() || body[i] != '%') continue;
        return PercentSize{offset + numberBegin, offset + i + 1, value};
    }
    return std::nullopt;
}

struct Rule {
    std::string selector;
    PercentSize size;
};

} // namespace

std::string withPixelFontSizes(std::string_view page, double mediumPixels)
{
    const std::string lower = lowerCase(page);
    const std::size_t open = lower.find("<style");
    if (open == std::string::npos) return std::string(page);
    const std::size_t sheetBegin = lower.find('>', open);
    const std::size_t sheetEnd = lower.find("</style", open);
    if (sheetBegin == std::string::npos || sheetEnd == std::string::npos || sheetEnd < sheetBegin)
        return std::string(page);

    // The rules with a percentage size, in the order they stand.
    std::vector<Rule> rules;
    std::optional<double> bodyPixels;
    for (std::size_t at = sheetBegin + 1; at < sheetEnd;) {
        const std::size_t braceOpen = page.find('{', at);
        if (braceOpen == std::string_view::npos || braceOpen >= sheetEnd) break;
        const std::size_t braceClose = page.find('}', braceOpen);
        if (braceClose == std::string_view::npos || braceClose >= sheetEnd) break;
        const std::string selector = lowerCase(trimmed(page.substr(at, braceOpen - at)));
        const std::string_view body = page.substr(braceOpen + 1, braceClose - braceOpen - 1);
        if (const auto size = percentSizeIn(body, braceOpen + 1)) {
            rules.push_back({selector, *size});
            if (selector == "body") bodyPixels = mediumPixels * size->percent / 100;
        }
        at = braceClose + 1;
    }

    // Every element of the page stands inside the body.
    const double base = bodyPixels.value_or(mediumPixels);
    std::string out;
    std::size_t copied = 0;
    for (const Rule& rule : rules) {
        const double pixels = rule.selector == "body" ? *bodyPixels : base * rule.size.percent / 100;
        out.append(page.substr(copied, rule.size.begin - copied));
        out += std::to_string(static_cast<long long>(roundHalfEven(pixels)));
        out += "px";
        copied = rule.size.end;
    }
    out.append(page.substr(copied));
    return out;
}

} // namespace tintora
