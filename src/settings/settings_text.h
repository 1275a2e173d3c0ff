#pragma once

#include <string>
#include <string_view>

namespace tintora {

// How a settings file's bytes hold its text.
enum class TextEncoding {
    Bytes,           // UTF-8 or a single-byte code page: the bytes are the text
    Utf16LittleEndian,
    Utf16BigEndian,
};

// A settings file's text as the INI reader works on it, and how to give it
// back in the file's own form. Windows editors save UTF-16 with a byte order
// mark; such a file is read and written as UTF-16 in its byte order, every
// other file byte for byte.
struct SettingsText {
    TextEncoding encoding = TextEncoding::Bytes;
    // The text: the file's bytes as they are, or for UTF-16 the units after
    // the byte order mark as UTF-8. A unit that is no character (a surrogate
    // without its partner) takes the three-byte form of its value, so that
    // it comes back unchanged.
    std::string text;
    // A UTF-16 file's odd last byte, kept as it was.
    std::string oddByte;
};

// The text of a file's bytes; UTF-16 is recognised by its byte order mark.
SettingsText decodeSettingsText(std::string_view bytes);

// The file's bytes for text, in the encoding it came in: for every file,
// encodeSettingsText(decodeSettingsText(bytes)) == bytes. Text the program
// added is ASCII; a byte that does not belong to a UTF-8 sequence becomes
// U+FFFD in a UTF-16 file.
std::string encodeSettingsText(const SettingsText& text);

} // namespace tintora
