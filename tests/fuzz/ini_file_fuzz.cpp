// The settings file read and updated in place. The input is a file's bytes,
// optionally followed by edits: NUL, section, NUL, key, NUL, value, and so on.
// Without edits the file gets the one the program makes most, the zoom.
//
// Every edit must change nothing but what the reader documents: the key's
// value in its line (the blanks around it kept), or one new key line in its
// section, or a new section at the end; and the file must then read back the
// value written, with every other value as it was.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "settings/ini_file.h"

using namespace tintora;

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b)
{
    const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return up(x) == up(y); });
}

// ---- The file as the header comment of IniDocument describes it ----------

struct Line {
    std::string_view content; // without its line end
    std::string_view end;     // "\n", "\r\n" or empty
};

enum class Kind { Blank, Comment, Header, Key, Other };

Kind kindOf(std::string_view content)
{
    const std::string_view body = trimmed(content);
    if (body.empty()) return Kind::Blank;
    if (body.front() == ';' || body.front() == '#') return Kind::Comment;
    if (body.front() == '[') return Kind::Header;
    return content.find('=') != std::string_view::npos ? Kind::Key : Kind::Other;
}

std::string_view nameOf(std::string_view content)
{
    if (kindOf(content) == Kind::Header) {
        const std::string_view inside = trimmed(content).substr(1);
        return trimmed(inside.substr(0, inside.find(']')));
    }
    return trimmed(content.substr(0, content.find('=')));
}

struct File {
    std::string_view bom;
    std::vector<Line> lines;
};

File split(std::string_view bytes)
{
    File f;
    if (bytes.starts_with(kBom)) {
        f.bom = bytes.substr(0, kBom.size());
        bytes.remove_prefix(kBom.size());
    }
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            f.lines.push_back({bytes, {}});
            break;
        }
        const std::size_t cr = lf > 0 && bytes[lf - 1] == '\r' ? 1 : 0;
        f.lines.push_back({bytes.substr(0, lf - cr), bytes.substr(lf - cr, 1 + cr)});
        bytes.remove_prefix(lf + 1);
    }
    return f;
}

// The line end new lines get: the one most lines have, LF in a tie.
std::string_view newLineEnd(const File& f)
{
    const auto crlf = std::count_if(f.lines.begin(), f.lines.end(), [](const Line& l) { return l.end == "\r\n"; });
    const auto lf = std::count_if(f.lines.begin(), f.lines.end(), [](const Line& l) { return l.end == "\n"; });
    return crlf > lf ? "\r\n" : "\n";
}

// Where section and key are: the first header of the name, the line after
// its section, the first key of the name within it.
struct Place {
    std::optional<std::size_t> header;
    std::size_t end = 0;
    std::optional<std::size_t> key;
};

Place placeOf(const File& f, std::string_view section, std::string_view key)
{
    Place p;
    p.end = f.lines.size();
    for (std::size_t i = 0; i < f.lines.size(); ++i) {
        if (kindOf(f.lines[i].content) != Kind::Header) continue;
        if (p.header) {
            p.end = i;
            break;
        }
        if (sameName(nameOf(f.lines[i].content), section)) p.header = i;
    }
    for (std::size_t i = p.header ? *p.header + 1 : p.end; i < p.end && !p.key; ++i)
        if (kindOf(f.lines[i].content) == Kind::Key && sameName(nameOf(f.lines[i].content), key)) p.key = i;
    return p;
}

bool sameLine(const Line& a, const Line& b) { return a.content == b.content && a.end == b.end; }

// ---- The three ways an edit may go ----------------------------------------

// The key's value replaced, every other byte as it was: the line up to the
// "=" and the blanks after it, and from the blanks after the old value on. A
// value of nothing but blanks may have had the new one put anywhere among
// them.
void checkValueReplaced(std::string_view oldText, const File& before, std::string_view newText, std::size_t at,
                        std::string_view value)
{
    const std::string_view line = before.lines[at].content;
    const std::size_t valueArea = static_cast<std::size_t>(line.data() - oldText.data()) + line.find('=') + 1;
    const std::string_view rest = line.substr(line.find('=') + 1);
    const auto replaced = [&](std::size_t from, std::size_t to) {
        return std::string(oldText.substr(0, valueArea + from)) + std::string(value) +
               std::string(oldText.substr(valueArea + to));
    };
    const std::string_view old = trimmed(rest);
    if (old.empty()) {
        bool found = false;
        for (std::size_t k = 0; k <= rest.size() && !found; ++k) found = newText == replaced(k, k);
        FUZZ_CHECK(found);
    } else {
        const std::size_t first = static_cast<std::size_t>(old.data() - rest.data());
        FUZZ_CHECK(newText == replaced(first, first + old.size()));
    }
}

// One line "key=value" inserted into the section: after its last line that
// is neither blank nor part of the comment block right above the next header.
// Appended to a last line without a line end, it gives that line one and
// leaves the file again without.
void checkKeyInserted(std::string_view oldText, const File& before, std::string_view newText, const Place& place,
                      std::string_view keyLine)
{
    const File after = split(newText);
    FUZZ_CHECK(after.bom == before.bom);
    const std::size_t n = before.lines.size();
    const std::string e(newLineEnd(before));
    std::size_t at = 0;
    while (at < n && sameLine(before.lines[at], after.lines[at])) ++at;
    if (n > 0 && before.lines[n - 1].end.empty() && at + 1 >= n && newText == std::string(oldText) + e + std::string(keyLine)) {
        at = n;
    } else {
        const std::size_t offset = at < n ? static_cast<std::size_t>(before.lines[at].content.data() - oldText.data()) : oldText.size();
        FUZZ_CHECK(newText == std::string(oldText.substr(0, offset)) + std::string(keyLine) + e + std::string(oldText.substr(offset)));
    }
    FUZZ_CHECK(at > *place.header && at <= place.end);

    // Before it: a line of the section's own (or its header).
    FUZZ_CHECK(kindOf(before.lines[at - 1].content) != Kind::Blank);
    // After it, up to the next header: blank lines, then the comments that
    // describe the next section; at the end of the file only blank lines.
    const bool lastSection = place.end == n;
    bool commentsBegun = false;
    for (std::size_t i = at; i < place.end; ++i) {
        const Kind k = kindOf(before.lines[i].content);
        FUZZ_CHECK(k == Kind::Blank || (k == Kind::Comment && !lastSection));
        if (k == Kind::Comment) commentsBegun = true;
        else FUZZ_CHECK(!commentsBegun);
    }
    // A comment right before it is not in that block: a blank line separates.
    if (kindOf(before.lines[at - 1].content) == Kind::Comment && !lastSection)
        FUZZ_CHECK(at < place.end && kindOf(before.lines[at].content) == Kind::Blank);
}

// A new section at the end of the file, after a blank line unless the file
// ends with one; a last line without a line end gets one, and the file again
// ends without.
void checkSectionAppended(std::string_view oldText, const File& before, std::string_view newText,
                          std::string_view section, std::string_view keyLine)
{
    const bool noLines = before.lines.empty();
    const bool unterminated = !noLines && before.lines.back().end.empty();
    const bool endsBlank = !noLines && kindOf(before.lines.back().content) == Kind::Blank;
    std::string added;
    if (unterminated) added += newLineEnd(before);
    // The lines after it take the line end of the file as it then reads.
    const std::string e(newLineEnd(split(std::string(oldText) + added)));
    if (!noLines && !endsBlank) added += e;
    added += "[" + std::string(section) + "]" + e + std::string(keyLine);
    if (!unterminated) added += e;
    FUZZ_CHECK(newText == std::string(oldText) + added);
}

// ---- One edit -------------------------------------------------------------

// Names and values the program can write and read back: no line ends; no
// blanks around them (the reader removes those); no "]" in a section name,
// no "=" in a key name, nor one that starts like a header or a comment.
bool writable(std::string_view section, std::string_view key, std::string_view value)
{
    for (const std::string_view s : {section, key, value})
        if (s.find('\n') != std::string_view::npos || trimmed(s).size() != s.size()) return false;
    if (section.find(']') != std::string_view::npos) return false;
    if (key.find('=') != std::string_view::npos) return false;
    return key.empty() || (key.front() != '[' && key.front() != ';' && key.front() != '#');
}

// What reading gives for a written value: one pair of enclosing quotation
// marks goes.
std::string_view unquoted(std::string_view v)
{
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\'')) return v.substr(1, v.size() - 2);
    return v;
}

// What to read before and after an edit: each key line of the file under
// the section it stands in, that key in the edited section, and the edited
// key in each section.
using Pair = std::pair<std::string, std::string>;

std::vector<Pair> pairsToRead(const File& f, std::string_view section, std::string_view key)
{
    constexpr std::size_t kMost = 48;
    std::vector<Pair> pairs;
    std::string_view current;
    for (const Line& l : f.lines) {
        if (pairs.size() >= kMost) break;
        const Kind kind = kindOf(l.content);
        if (kind == Kind::Header) {
            current = nameOf(l.content);
            pairs.emplace_back(current, key);
        } else if (kind == Kind::Key) {
            pairs.emplace_back(current, nameOf(l.content));
            pairs.emplace_back(section, nameOf(l.content));
        }
    }
    return pairs;
}

void checkEdit(IniDocument& doc, std::string_view section, std::string_view key, std::string_view value)
{
    const std::string oldText = doc.text();
    const File before = split(oldText);
    const Place place = placeOf(before, section, key);
    const std::vector<Pair> pairs = pairsToRead(before, section, key);
    std::vector<std::string> oldValues;
    for (const auto& [s, k] : pairs) oldValues.push_back(doc.value(s, k));

    doc.setValue(section, key, value);
    const std::string newText = doc.text();
    const std::string keyLine = std::string(key) + "=" + std::string(value);
    if (place.key) checkValueReplaced(oldText, before, newText, *place.key, value);
    else if (place.header) checkKeyInserted(oldText, before, newText, place, keyLine);
    else checkSectionAppended(oldText, before, newText, section, keyLine);

    // The file as saved reads the same as the document it came from: the new
    // value, and every other value as before.
    const IniDocument reread = IniDocument::parse(newText);
    FUZZ_CHECK(reread.text() == newText);
    FUZZ_CHECK(reread.value(section, key) == unquoted(value));
    FUZZ_CHECK(doc.value(section, key) == unquoted(value));
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const auto& [s, k] = pairs[i];
        if (!(sameName(s, section) && sameName(k, key))) FUZZ_CHECK(reread.value(s, k) == oldValues[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts = fuzz::splitAtNul(input);
    const std::string_view file = parts.front();

    IniDocument doc = IniDocument::parse(file);
    // Reading and writing back without an edit gives the bytes read.
    FUZZ_CHECK(doc.text() == file);

    if (parts.size() < 4) parts = {file, "MAGNIFIER", "Zoom", "2,5"};
    // As many edits as the program makes in one save.
    constexpr std::size_t kMostEdits = 6;
    for (std::size_t i = 1; i + 2 < parts.size() && i < 3 * kMostEdits; i += 3)
        if (writable(parts[i], parts[i + 1], parts[i + 2])) {
            // Several edits in one document go as they would on the file read
            // again after each.
            IniDocument reread = IniDocument::parse(doc.text());
            reread.setValue(parts[i], parts[i + 1], parts[i + 2]);
            checkEdit(doc, parts[i], parts[i + 1], parts[i + 2]);
            FUZZ_CHECK(doc.text() == reread.text());
        }
    return 0;
}
