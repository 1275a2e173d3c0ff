#include "settings/ini_file.h"

#include <optional>

namespace tintora {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
    return true;
}

enum class LineKind { Blank, Comment, Header, Key, Other };

struct LineShape {
    LineKind kind = LineKind::Other;
    std::string_view name;      // section name of a header, key name of a key
    std::size_t valueBegin = 0; // the value's bytes within the line, quotes included
    std::size_t valueEnd = 0;
};

LineShape shapeOf(std::string_view line)
{
    LineShape shape;
    const std::string_view body = trimBlanks(line);
    if (body.empty()) {
        shape.kind = LineKind::Blank;
    } else if (body.front() == ';' || body.front() == '#') {
        shape.kind = LineKind::Comment;
    } else if (body.front() == '[') {
        shape.kind = LineKind::Header;
        const std::string_view inside = body.substr(1);
        shape.name = trimBlanks(inside.substr(0, inside.find(']')));
    } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
        shape.kind = LineKind::Key;
        shape.name = trimBlanks(line.substr(0, eq));
        std::size_t begin = eq + 1;
        std::size_t end = line.size();
        while (begin < end && isBlank(line[begin])) ++begin;
        while (end > begin && isBlank(line[end - 1])) --end;
        // Nothing but blanks: a new value goes right after the "=".
        if (begin == end) begin = end = eq + 1;
        shape.valueBegin = begin;
        shape.valueEnd = end;
    }
    return shape;
}

// A line whose text ends in a carriage return and whose line end is LF is,
// byte for byte, a CRLF line, and that is how the file reads again: so it is
// kept as one, and counts as one when new lines take the most common end.
template <typename TextLine>
void endsAsRead(TextLine& line)
{
    if (line.end == "\n" && !line.content.empty() && line.content.back() == '\r') {
        line.content.pop_back();
        line.end = "\r\n";
    }
}

std::string_view unquoted(std::string_view v)
{
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\'')) return v.substr(1, v.size() - 2);
    return v;
}

} // namespace

IniDocument IniDocument::parse(std::string_view bytes)
{
    IniDocument doc;
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        doc.bom_ = kUtf8Bom;
        bytes.remove_prefix(kUtf8Bom.size());
    }
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            doc.lines_.push_back({std::string(bytes), {}});
            break;
        }
        const bool crlf = lf > 0 && bytes[lf - 1] == '\r';
        doc.lines_.push_back({std::string(bytes.substr(0, crlf ? lf - 1 : lf)), crlf ? "\r\n" : "\n"});
        bytes.remove_prefix(lf + 1);
    }
    return doc;
}

namespace {

struct Found {
    std::optional<std::size_t> header; // line of the section's header
    std::size_t end = 0;               // line of the next header, or the line count
    std::optional<std::size_t> key;    // line of the key within the section
};

template <typename Lines>
Found find(const Lines& lines, std::string_view section, std::string_view key)
{
    Found f;
    f.end = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineShape s = shapeOf(lines[i].content);
        if (s.kind != LineKind::Header) continue;
        if (f.header) {
            f.end = i;
            break;
        }
        if (sameName(s.name, section)) f.header = i;
    }
    if (!f.header) return f;
    for (std::size_t i = *f.header + 1; i < f.end; ++i) {
        const LineShape s = shapeOf(lines[i].content);
        if (s.kind == LineKind::Key && sameName(s.name, key)) {
            f.key = i;
            break;
        }
    }
    return f;
}

} // namespace

std::string IniDocument::value(std::string_view section, std::string_view key) const
{
    const Found f = find(lines_, section, key);
    if (!f.key) return {};
    const std::string& line = lines_[*f.key].content;
    const LineShape s = shapeOf(line);
    return std::string(unquoted(std::string_view(line).substr(s.valueBegin, s.valueEnd - s.valueBegin)));
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    std::string keyLine = std::string(key) + "=" + std::string(value);
    const Found f = find(lines_, section, key);

    if (f.key) {
        std::string& line = lines_[*f.key].content;
        const LineShape s = shapeOf(line);
        line.replace(s.valueBegin, s.valueEnd - s.valueBegin, value);
        endsAsRead(lines_[*f.key]);
        return;
    }

    if (f.header) {
        // After the section's last line of its own: a comment block that sits
        // right above the next header describes that section, and blank lines
        // keep separating the two.
        std::size_t at = f.end;
        if (f.end < lines_.size())
            while (at - 1 > *f.header && shapeOf(lines_[at - 1].content).kind == LineKind::Comment) --at;
        while (at - 1 > *f.header && shapeOf(lines_[at - 1].content).kind == LineKind::Blank) --at;
        insertLine(at, std::move(keyLine));
        return;
    }

    if (!lines_.empty() && shapeOf(lines_.back().content).kind != LineKind::Blank) insertLine(lines_.size(), {});
    insertLine(lines_.size(), "[" + std::string(section) + "]");
    insertLine(lines_.size(), std::move(keyLine));
}

std::string IniDocument::text() const
{
    std::string out = bom_;
    for (const Line& l : lines_) out += l.content + l.end;
    return out;
}

std::string IniDocument::newLineEnd() const
{
    std::size_t lf = 0;
    std::size_t crlf = 0;
    for (const Line& l : lines_) {
        if (l.end == "\n") ++lf;
        if (l.end == "\r\n") ++crlf;
    }
    return crlf > lf ? "\r\n" : "\n";
}

void IniDocument::insertLine(std::size_t at, std::string content)
{
    const std::string end = newLineEnd();
    Line line{std::move(content), end};
    // Only the file's last line can lack a line end: it gets one, and the new
    // last line carries on without.
    if (at > 0 && lines_[at - 1].end.empty()) {
        lines_[at - 1].end = end;
        endsAsRead(lines_[at - 1]);
        line.end.clear();
    }
    endsAsRead(line);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

} // namespace tintora
