#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tintora {

// The settings file as bytes, read and updated in place.
//
// A line whose first non-blank character is "[" starts a section (the name
// runs to the first "]", or to the line's end, blanks around it removed); a
// line starting with ";" or "#" is a comment; any other line with an "=" is a
// key, its name being the text before the first "=". Blanks are the
// characters of code 32 and below. Names match without regard to ASCII letter
// case. Only the first section of a name counts, and in it only the first key
// of a name; keys above the first section belong to none.
//
// Writing rewrites one value and leaves every other byte as it was: comments,
// blank lines, unknown sections and keys, the line ends of each line (LF,
// CRLF, mixed, or none on the last line) and a UTF-8 byte order mark.
class IniDocument {
public:
    // An empty document, which is also what a missing file reads as.
    IniDocument() = default;

    static IniDocument parse(std::string_view bytes);

    // The value with blanks around it and then one pair of enclosing double
    // or single quotation marks removed; empty when the section or key is
    // missing.
    std::string value(std::string_view section, std::string_view key) const;

    // Replaces the key's value (enclosing quotation marks included), keeping
    // the blanks around it. A missing key becomes "key=value" after the last
    // line of its section that is neither blank nor part of the comment block
    // directly above the next section header. A missing section is added at
    // the end of the file, after a blank line unless the file already ends with
    // one. New lines take the line end most lines of the file have (LF in a
    // tie or a file without line ends). If the file's last line has no line
    // end, one is added to it and the added text again ends without one.
    // Where a line's text comes to end in a carriage return before an LF, the
    // two are a CRLF from then on, as in the file read again. Names and value
    // must not hold line ends.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    // The bytes of the whole file.
    std::string text() const;

private:
    struct Line {
        std::string content; // without its line end
        std::string end;     // "\n", "\r\n", or empty on a last line without one
    };

    std::string bom_;
    std::vector<Line> lines_;

    std::string newLineEnd() const;
    void insertLine(std::size_t at, std::string content);
};

} // namespace tintora
