#include <gtest/gtest.h>

#include <string>

#include "settings/ini_file.h"

using namespace tintora;

namespace {

// The keys the program saves, in its order, with one set of values.
void setTheSixKeys(IniDocument& doc)
{
    doc.setValue("GENERAL", "onTop", "0");
    doc.setValue("GENERAL", "HexMode", "0");
    doc.setValue("GENERAL", "DecMode", "1");
    doc.setValue("MAGNIFIER", "ShowMag", "0");
    doc.setValue("MAGNIFIER", "Zoom", "0,5");
    doc.setValue("MAGNIFIER", "SlowMouse", "1");
}

} // namespace

TEST(IniRead, namesValuesAndWhatDoesNotCount)
{
    const IniDocument doc = IniDocument::parse("onTop=7\n" // above any section
                                               "[ General ]\r\n"
                                               "; onTop=5\r\n"
                                               "# HexMode=5\n"
                                               "ONTOP =\t 2 \r\n"
                                               "HexMode=\"0x1\"\n"
                                               "DecMode='1'\n"
                                               "Twice=\"\"x\"\"\n"
                                               "Unpaired=\"abc\n"
                                               "Mismatched=\"abc'\n"
                                               "Lone=\"\n"
                                               "Inside=\" 8 \"\n"
                                               "Equals=a=b\n"
                                               "NoEquals\n"
                                               "Blanks=   \r\n"
                                               "onTop=3\n"
                                               "\n"
                                               "[magnifier]\n"
                                               "Zoom=2,5\n"
                                               "[MAGNIFIER]\n"
                                               "Zoom=9\n"
                                               "SlowMouse=1\n"
                                               "[Last]\n"
                                               "NoEnd = x ");
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"GENERAL", "onTop", "2"},           {"general", "OnToP", "2"},
        {"GENERAL", "HexMode", "0x1"},       {"GENERAL", "DecMode", "1"},
        {"GENERAL", "Twice", "\"x\""},       {"GENERAL", "Unpaired", "\"abc"},
        {"GENERAL", "Mismatched", "\"abc'"}, {"GENERAL", "Lone", "\""},
        {"GENERAL", "Inside", " 8 "},        {"GENERAL", "Equals", "a=b"},
        {"GENERAL", "NoEquals", ""},         {"GENERAL", "Blanks", ""},
        {"GENERAL", "Missing", ""},          {"Nowhere", "onTop", ""},
        // Only the first section of a name counts.
        {"MAGNIFIER", "Zoom", "2,5"},        {"MAGNIFIER", "SlowMouse", ""},
        {"last", "noend", "x"},
    };
    for (const auto& c : cases) EXPECT_EQ(doc.value(c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(IniWrite, sixKeysIntoAMissingFile)
{
    const std::string expected = "[GENERAL]\n"
                                 "onTop=0\n"
                                 "HexMode=0\n"
                                 "DecMode=1\n"
                                 "\n"
                                 "[MAGNIFIER]\n"
                                 "ShowMag=0\n"
                                 "Zoom=0,5\n"
                                 "SlowMouse=1\n";
    IniDocument fresh;
    setTheSixKeys(fresh);
    EXPECT_EQ(fresh.text(), expected);

    IniDocument empty = IniDocument::parse("");
    setTheSixKeys(empty);
    EXPECT_EQ(empty.text(), expected);
}

TEST(IniWrite, sixKeysKeepEveryOtherByte)
{
    IniDocument doc = IniDocument::parse("\xEF\xBB\xBF; Tintora\r\n"
                                         "\r\n"
                                         "[general]\r\n"
                                         "OnTop = \"1\"   \r\n"
                                         "; readouts\r\n"
                                         "HEXMODE=1\r\n"
                                         "\r\n"
                                         "; the magnifier\r\n"
                                         "[Magnifier]\r\n"
                                         "showmag=1\r\n"
                                         "Extra=keep me\r\n"
                                         "\r\n"
                                         "[Other]\r\n"
                                         "Colour=#FF8000");
    setTheSixKeys(doc);
    EXPECT_EQ(doc.text(), "\xEF\xBB\xBF; Tintora\r\n"
                          "\r\n"
                          "[general]\r\n"
                          "OnTop = 0   \r\n"
                          "; readouts\r\n"
                          "HEXMODE=0\r\n"
                          "DecMode=1\r\n"
                          "\r\n"
                          "; the magnifier\r\n"
                          "[Magnifier]\r\n"
                          "showmag=0\r\n"
                          "Extra=keep me\r\n"
                          "Zoom=0,5\r\n"
                          "SlowMouse=1\r\n"
                          "\r\n"
                          "[Other]\r\n"
                          "Colour=#FF8000");
    EXPECT_EQ(doc.value("GENERAL", "onTop"), "0");
    EXPECT_EQ(doc.value("MAGNIFIER", "Zoom"), "0,5");
}

TEST(IniWrite, placementAndLineEnds)
{
    const struct {
        const char* name;
        const char* before;
        const char* section;
        const char* key;
        const char* after;
    } cases[] = {
        {"value replaced, blanks kept", "[A]\nx = \"old\"  \n", "A", "x", "[A]\nx = v  \n"},
        {"empty value", "[A]\nx=\n", "A", "x", "[A]\nx=v\n"},
        {"blank value", "[A]\nx=   \r\n", "A", "x", "[A]\nx=v   \r\n"},
        {"first of two keys", "[A]\nx=1\nX=2\n", "A", "x", "[A]\nx=v\nX=2\n"},
        {"commented key is not the key", "[A]\n;x=1\n", "A", "x", "[A]\n;x=1\nx=v\n"},
        {"key above the first section is not the key", "x=1\n[A]\n", "A", "x", "x=1\n[A]\nx=v\n"},
        {"new key before blank lines", "[A]\ny=1\n\n\n[B]\n", "A", "x", "[A]\ny=1\nx=v\n\n\n[B]\n"},
        {"comment above the next header stays with it", "[A]\ny=1\n\n; B\n# too\n[B]\n", "A", "x",
         "[A]\ny=1\nx=v\n\n; B\n# too\n[B]\n"},
        {"comment ending the section stays in it", "[A]\ny=1\n; on y\n\n[B]\n", "A", "x",
         "[A]\ny=1\n; on y\nx=v\n\n[B]\n"},
        {"comment at the end of the file stays in the section", "[A]\ny=1\n; end\n", "A", "x",
         "[A]\ny=1\n; end\nx=v\n"},
        {"empty section", "[A]\n[B]\n", "A", "x", "[A]\nx=v\n[B]\n"},
        {"first of two sections", "[A]\ny=1\n[a]\nx=2\n", "A", "x", "[A]\ny=1\nx=v\n[a]\nx=2\n"},
        {"last line without a line end", "[A]\ny=1", "A", "x", "[A]\ny=1\nx=v"},
        {"header alone without a line end", "[A]", "A", "x", "[A]\nx=v"},
        {"new section after a blank line", "[A]\ny=1\n", "B", "x", "[A]\ny=1\n\n[B]\nx=v\n"},
        {"file already ends with a blank line", "[A]\ny=1\n \n", "B", "x", "[A]\ny=1\n \n[B]\nx=v\n"},
        {"new section, no line end at the end", "[A]\ny=1", "B", "x", "[A]\ny=1\n\n[B]\nx=v"},
        {"comment only", "; c\r\n", "B", "x", "; c\r\n\r\n[B]\r\nx=v\r\n"},
        {"byte order mark only", "\xEF\xBB\xBF", "B", "x", "\xEF\xBB\xBF[B]\nx=v\n"},
        {"more CRLF than LF", "[A]\r\ny=1\n[B]\r\n", "A", "x", "[A]\r\ny=1\nx=v\r\n[B]\r\n"},
        {"more LF than CRLF", "[A]\r\ny=1\n[B]\n", "A", "x", "[A]\r\ny=1\nx=v\n[B]\n"},
        {"as many CRLF as LF", "[A]\r\ny=1\n", "A", "x", "[A]\r\ny=1\nx=v\n"},
        {"lone CR is no line end", "[A]\ry=1\n", "A", "x", "[A]\ry=1\nx=v\n"},
        {"CR ending the last line becomes a CRLF", "; c\r", "B", "x", "; c\r\n\r\n[B]\r\nx=v"},
    };
    for (const auto& c : cases) {
        IniDocument doc = IniDocument::parse(c.before);
        doc.setValue(c.section, c.key, "v");
        EXPECT_EQ(doc.text(), c.after) << c.name;
        EXPECT_EQ(doc.value(c.section, c.key), "v") << c.name;
    }
}

TEST(IniWrite, severalKeysLikeTheFileReadAgain)
{
    // Each save sets several keys in one document: after the first, a new
    // line must take the line end a fresh read of the file would give it.
    const struct {
        const char* name;
        const char* before;
        const char* key;
        const char* value;
        const char* after; // and then w=v
    } cases[] = {
        // The last line's CR and the LF added to it make a CRLF line, which
        // tips the count towards CRLF.
        {"CR ending the last line", "[A]\r\ny=1\nz\r", "x", "v", "[A]\r\ny=1\nz\r\nx=v\r\nw=v"},
        {"CRLF file cut after its CR", "[A]\r\ny=1\r", "x", "v", "[A]\r\ny=1\r\r\nx=v\r\nw=v"},
        // Likewise a value emptied behind a CR.
        {"CR left before the LF", "[A]\r\nx= \ry\n", "x", "", "[A]\r\nx= \r\nw=v\r\n"},
    };
    for (const auto& c : cases) {
        IniDocument doc = IniDocument::parse(c.before);
        doc.setValue("A", c.key, c.value);
        IniDocument reread = IniDocument::parse(doc.text());
        doc.setValue("A", "w", "v");
        reread.setValue("A", "w", "v");
        EXPECT_EQ(doc.text(), c.after) << c.name;
        EXPECT_EQ(reread.text(), c.after) << c.name;
    }
}
