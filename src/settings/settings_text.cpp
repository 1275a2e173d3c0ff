#include "settings/settings_text.h"

#include <cstdint>

namespace tintora {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

char32_t unitAt(std::string_view bytes, std::size_t at, bool bigEndian)
{
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
}

// UTF-8, with surrogate values written like any other value below 0x10000.
void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendUnit(std::string& out, char32_t unit, bool bigEndian)
{
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

// The value of the UTF-8 sequence at text[at] and its length; a byte that
// starts no complete sequence of its length is U+FFFD on its own.
std::pair<char32_t, std::size_t> utf8At(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if (lead < 0x80) return {lead, 1};
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        smallest = 0x10000;
    } else {
        return {kReplacement, 1};
    }
    if (at + length > text.size()) return {kReplacement, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return {kReplacement, 1};
        value = value << 6 | (next & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF) return {kReplacement, 1};
    return {value, length};
}

} // namespace

SettingsText decodeSettingsText(std::string_view bytes)
{
    SettingsText result;
    const bool littleEndian = bytes.starts_with("\xFF\xFE");
    const bool bigEndian = bytes.starts_with("\xFE\xFF");
    if (!littleEndian && !bigEndian) {
        result.text = bytes;
        return result;
    }
    result.encoding = bigEndian ? TextEncoding::Utf16BigEndian : TextEncoding::Utf16LittleEndian;
    if (bytes.size() % 2 != 0) {
        result.oddByte = bytes.substr(bytes.size() - 1);
        bytes.remove_suffix(1);
    }
    for (std::size_t at = 2; at < bytes.size(); at += 2) {
        const char32_t unit = unitAt(bytes, at, bigEndian);
        if (isHighSurrogate(unit) && at + 2 < bytes.size()) {
            const char32_t next = unitAt(bytes, at + 2, bigEndian);
            if (isLowSurrogate(next)) {
                appendUtf8(result.text, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                at += 2;
                continue;
            }
        }
        appendUtf8(result.text, unit);
    }
    return result;
}

std::string encodeSettingsText(const SettingsText& text)
{
    if (text.encoding == TextEncoding::Bytes) return text.text;
    const bool bigEndian = text.encoding == TextEncoding::Utf16BigEndian;
    std::string bytes;
    bytes.reserve(2 + text.text.size() * 2 + text.oddByte.size());
    appendUnit(bytes, 0xFEFF, bigEndian);
    for (std::size_t at = 0; at < text.text.size();) {
        const auto [value, length] = utf8At(text.text, at);
        at += length;
        if (value >= 0x10000) {
            appendUnit(bytes, 0xD800 + ((value - 0x10000) >> 10), bigEndian);
            appendUnit(bytes, 0xDC00 + ((value - 0x10000) & 0x3FF), bigEndian);
        } else {
            appendUnit(bytes, value, bigEndian);
        }
    }
    return bytes + text.oddByte;
}

} // namespace tintora
