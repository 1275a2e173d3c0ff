// Texts between double quotes, as the probe's report and its JSON write them.

#include <gtest/gtest.h>

#include "core/quoted_text.h"

using namespace tintora;

TEST(QuotedText, quotedTextEscapesQuotesBackslashesAndControls)
{
    EXPECT_EQ(quotedText("Office 27"), "\"Office 27\"");
    EXPECT_EQ(quotedText("a\"b\\c\x01\n\x7F" "d"), R"("a\"b\\c\x01\x0a\x7fd")");
    EXPECT_EQ(quotedText("\xC3\xA9" "cran"), "\"\xC3\xA9" "cran\"") << "UTF-8 stays as it is";
    EXPECT_EQ(quotedText(""), "\"\"");
    EXPECT_EQ(quotedText("a\"\\\x1F\x7F", Quoting::Json), "\"a\\\"\\\\\\u001f\x7F\"") << "DEL is valid in JSON";
}
