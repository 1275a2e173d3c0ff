#include "platform/pointer_record.h"

#include <algorithm>
#include <limits>

namespace tintora {

namespace {

constexpr std::string_view Header = "tintora pointer record 1";
// What the X11 backend wrote before the record was shared.
constexpr std::string_view EarlierX11Header = "tintora-pointer-state 1";

constexpr char HexDigits[] = "0123456789abcdef";
constexpr char UpperHexDigits[] = "0123456789ABCDEF";

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int upperHexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isPlainNameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_';
}

// The line's fields between single spaces; nothing when a field is empty
// (two spaces, a space at either end) or there are more than most.
std::optional<std::vector<std::string_view>> fieldsOf(std::string_view line, std::size_t most)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t space = line.find(' ');
        const std::string_view field = line.substr(0, space);
        if (field.empty() || fields.size() == most) return std::nullopt;
        fields.push_back(field);
        if (space == std::string_view::npos) return fields;
        line.remove_prefix(space + 1);
    }
}

// A decimal number as written: digits only, no leading zero, at most most.
std::optional<std::uint64_t> numberOf(std::string_view text, std::uint64_t most)
{
    if (text.empty() || text.size() > 20 || (text.size() > 1 && text.front() == '0')) return std::nullopt;
    std::uint64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (n > (most - digit) / 10) return std::nullopt;
        n = n * 10 + digit;
    }
    return n;
}

void appendName(std::string& out, const std::string& name)
{
    if (name.empty()) {
        out += '-';
        return;
    }
    for (const char c : name) {
        if (isPlainNameByte(c)) {
            out += c;
            continue;
        }
        const auto b = static_cast<unsigned char>(c);
        out += '%';
        out += UpperHexDigits[b >> 4];
        out += UpperHexDigits[b & 15];
    }
}

std::optional<std::string> nameOf(std::string_view text)
{
    if (text == "-") return std::string();
    if (text.size() > 3 * kMostNameBytes) return std::nullopt;
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isPlainNameByte(text[i])) {
            name += text[i];
            continue;
        }
        if (text[i] != '%' || i + 2 >= text.size()) return std::nullopt;
        const int hi = upperHexDigit(text[i + 1]), lo = upperHexDigit(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        const char byte = static_cast<char>(hi * 16 + lo);
        // Written one way only: a plain byte is never escaped.
        if (isPlainNameByte(byte)) return std::nullopt;
        name += byte;
        i += 2;
    }
    if (name.size() > kMostNameBytes) return std::nullopt;
    return name;
}

// A name as the earlier X11 files wrote it: its bytes in lowercase hex.
std::optional<std::string> earlierNameOf(std::string_view text)
{
    if (text == "-") return std::string();
    if (text.size() % 2 || text.size() > 2 * kMostNameBytes) return std::nullopt;
    std::string name;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = hexDigit(text[i]), lo = hexDigit(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        name += static_cast<char>(hi * 16 + lo);
    }
    return name;
}

void appendValue(std::string& out, const PointerValue& value)
{
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (i) out += ',';
        for (int shift = 28; shift >= 0; shift -= 4) out += HexDigits[(value[i] >> shift) & 15];
    }
}

std::optional<PointerValue> valueOf(std::string_view text)
{
    // Eight digits and a comma per word, none after the last.
    if ((text.size() + 1) % 9 || (text.size() + 1) / 9 > kMostValueWords) return std::nullopt;
    PointerValue value;
    for (std::size_t at = 0; at < text.size(); at += 9) {
        if (at + 8 < text.size() && text[at + 8] != ',') return std::nullopt;
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 8; ++k) {
            const int d = hexDigit(text[at + k]);
            if (d < 0) return std::nullopt;
            word = word * 16 + static_cast<std::uint32_t>(d);
        }
        value.push_back(word);
    }
    return value;
}

// "<id> <name> <original> <written> [<being written>]", after the line's word.
std::optional<ChangedSetting> settingOf(std::span<const std::string_view> fields,
                                        std::optional<std::string> (*name)(std::string_view))
{
    if (fields.size() < 4 || fields.size() > 5) return std::nullopt;
    const auto id = numberOf(fields[0], std::numeric_limits<int>::max());
    auto decoded = name(fields[1]);
    auto original = valueOf(fields[2]);
    if (!id || !decoded || !original) return std::nullopt;
    ChangedSetting setting{static_cast<int>(*id), std::move(*decoded), std::move(*original), {}};
    for (const std::string_view field : fields.subspan(3)) {
        auto value = valueOf(field);
        if (!value || value->size() != setting.original.size()) return std::nullopt;
        setting.written.push_back(std::move(*value));
    }
    return setting;
}

} // namespace

bool ChangedSetting::wrote(const PointerValue& value) const
{
    return std::find(written.begin(), written.end(), value) != written.end();
}

std::string pointerRecordText(const PointerRecord& record)
{
    std::string out(Header);
    out += "\nowner " + std::to_string(record.ownerPid) + ' ' + std::to_string(record.ownerStarted) + '\n';
    for (const ChangedSetting& s : record.settings) {
        out += "setting " + std::to_string(s.id) + ' ';
        appendName(out, s.name);
        out += ' ';
        appendValue(out, s.original);
        for (const PointerValue& w : s.written) {
            out += ' ';
            appendValue(out, w);
        }
        out += '\n';
    }
    if (record.confined) out += "confined\n";
    return out;
}

std::optional<PointerRecord> parsePointerRecord(std::string_view text)
{
    // Every line ends in a line feed: a file cut short is no record.
    if (text.empty() || text.back() != '\n') return std::nullopt;
    const auto nextLine = [&text] {
        const std::size_t lf = text.find('\n');
        const std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf + 1);
        return line;
    };
    const std::string_view header = nextLine();
    const bool earlier = header == EarlierX11Header;
    if (header != Header && !earlier) return std::nullopt;
    PointerRecord record;
    if (!earlier) {
        const auto owner = text.empty() ? std::nullopt : fieldsOf(nextLine(), 3);
        if (!owner || owner->size() != 3 || (*owner)[0] != "owner") return std::nullopt;
        const auto pid = numberOf((*owner)[1], std::numeric_limits<std::uint32_t>::max());
        const auto started = numberOf((*owner)[2], std::numeric_limits<std::uint64_t>::max());
        if (!pid || !started) return std::nullopt;
        record.ownerPid = static_cast<std::uint32_t>(*pid);
        record.ownerStarted = *started;
    }
    const std::string_view settingWord = earlier ? "device" : "setting";
    while (!text.empty()) {
        const std::string_view line = nextLine();
        if (!earlier && line == "confined" && text.empty()) {
            record.confined = true;
            break;
        }
        // The word, the id, the name, the original and up to two written.
        const auto fields = fieldsOf(line, 6);
        if (!fields || fields->front() != settingWord || record.settings.size() == kMostRecordedSettings)
            return std::nullopt;
        auto setting = settingOf(std::span(*fields).subspan(1), earlier ? earlierNameOf : nameOf);
        if (!setting) return std::nullopt;
        const bool twice = std::any_of(record.settings.begin(), record.settings.end(),
                                       [&](const ChangedSetting& s) { return s.id == setting->id; });
        if (twice) return std::nullopt;
        record.settings.push_back(std::move(*setting));
    }
    return record;
}

std::optional<std::string> pointerRecordFileText(const PointerRecord& record, std::string& why)
{
    std::string text = pointerRecordText(record);
    if (record.settings.size() > kMostRecordedSettings) {
        why = "the record of " + std::to_string(record.settings.size()) + " settings would be past the " +
              std::to_string(kMostRecordedSettings) + " a start reads";
        return std::nullopt;
    }
    if (text.size() > kMostPointerRecordBytes) {
        why = "the record of " + std::to_string(text.size()) + " bytes would be past the " +
              std::to_string(kMostPointerRecordBytes) + " a start reads";
        return std::nullopt;
    }
    if (parsePointerRecord(text) != record) {
        why = "the record would not read back as written";
        return std::nullopt;
    }
    return text;
}

std::optional<PointerValue> valueToGiveBack(const ChangedSetting& setting, const PointerValue& current,
                                            std::span<const OtherCopy> others)
{
    if (!setting.wrote(current)) return std::nullopt;
    const PointerValue* target = &setting.original;
    for (const OtherCopy& other : others) {
        if (!other.running) continue;
        const auto& theirs = other.record.settings;
        const auto held = std::find_if(theirs.begin(), theirs.end(), [&](const ChangedSetting& o) {
            return o.isSetting(setting.id, setting.name) && o.original == setting.original && !o.written.empty();
        });
        if (held == theirs.end()) continue;
        target = &held->written.front();
        break;
    }
    if (*target == current) return std::nullopt;
    return *target;
}

PointerValue originalUnder(int id, std::string_view name, const PointerValue& current,
                           std::span<const OtherCopy> others)
{
    for (const OtherCopy& other : others)
        for (const ChangedSetting& o : other.record.settings)
            if (o.isSetting(id, name) && o.wrote(current)) return o.original;
    return current;
}

} // namespace tintora
