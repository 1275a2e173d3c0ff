#include <gtest/gtest.h>

#include <string>

#include "settings/settings_text.h"

using namespace tintora;

namespace {

std::string bytes(std::initializer_list<unsigned char> list) { return std::string(list.begin(), list.end()); }

} // namespace

TEST(SettingsText, utf16IsReadByItsByteOrderMarkAndGivenBackUnitForUnit)
{
    const struct {
        const char* name;
        std::string file;
        TextEncoding encoding;
        std::string text;
    } cases[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF[A]\r\nx=\xC3\xA9\n", TextEncoding::Bytes, "\xEF\xBB\xBF[A]\r\nx=\xC3\xA9\n"},
        {"a code page, not UTF-8", "x=\xE9\xFF\n", TextEncoding::Bytes, "x=\xE9\xFF\n"},
        {"empty", "", TextEncoding::Bytes, ""},
        {"UTF-16 LE", bytes({0xFF, 0xFE, 'x', 0, '=', 0, 0xE9, 0, 0x26, 0x04, '\r', 0, '\n', 0}),
         TextEncoding::Utf16LittleEndian, "x=\xC3\xA9\xD0\xA6\r\n"},
        {"UTF-16 BE", bytes({0xFE, 0xFF, 0, 'x', 0, '=', 0, 0xE9, 0x04, 0x26, 0, '\n'}), TextEncoding::Utf16BigEndian,
         "x=\xC3\xA9\xD0\xA6\n"},
        {"only the mark", bytes({0xFF, 0xFE}), TextEncoding::Utf16LittleEndian, ""},
        {"a pair of surrogates", bytes({0xFF, 0xFE, 0x3C, 0xD8, 0xA8, 0xDF}), TextEncoding::Utf16LittleEndian,
         "\xF0\x9F\x8E\xA8"},
        // Units that are no characters come back as they were.
        {"a low surrogate first, a high one last", bytes({0xFF, 0xFE, 0x00, 0xDC, '=', 0, 0x00, 0xD8}),
         TextEncoding::Utf16LittleEndian, "\xED\xB0\x80=\xED\xA0\x80"},
        {"a high surrogate before a plain unit", bytes({0xFE, 0xFF, 0xD8, 0x00, 0, 'x'}), TextEncoding::Utf16BigEndian,
         "\xED\xA0\x80x"},
        {"NUL units", bytes({0xFF, 0xFE, 0, 0, 'x', 0}), TextEncoding::Utf16LittleEndian, std::string("\0x", 2)},
        {"an odd last byte", bytes({0xFF, 0xFE, 'x', 0, 'y'}), TextEncoding::Utf16LittleEndian, "x"},
    };
    for (const auto& c : cases) {
        const SettingsText decoded = decodeSettingsText(c.file);
        EXPECT_EQ(decoded.encoding, c.encoding) << c.name;
        EXPECT_EQ(decoded.text, c.text) << c.name;
        EXPECT_EQ(encodeSettingsText(decoded), c.file) << c.name;
    }
}

TEST(SettingsText, addedTextTakesTheFilesEncoding)
{
    SettingsText little = decodeSettingsText(bytes({0xFF, 0xFE, ';', 0, '\r', 0, '\n', 0}));
    little.text += "[A]\r\n";
    EXPECT_EQ(encodeSettingsText(little),
              bytes({0xFF, 0xFE, ';', 0, '\r', 0, '\n', 0, '[', 0, 'A', 0, ']', 0, '\r', 0, '\n', 0}));

    SettingsText big = decodeSettingsText(bytes({0xFE, 0xFF, 0, 'x'}));
    big.text += "=\xC3\xA9";
    // A byte that starts no UTF-8 sequence: U+FFFD.
    big.text += "\xFF";
    EXPECT_EQ(encodeSettingsText(big), bytes({0xFE, 0xFF, 0, 'x', 0, '=', 0, 0xE9, 0xFF, 0xFD}));
}
