#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "help/help_navigation.h"
#include "help/help_style.h"

using namespace tintora;

TEST(HelpStyle, percentFontSizesAsABrowserReadsThem)
{
    const struct {
        const char* sheet;
        const char* expected;
    } cases[] = {
        // Body 70 % of 16 px = 11.2; others relative to the body, unrounded:
        // 150 % = 16.8, 90 % = 10.08.
        {"body { font-size: 70%; } h1 { font-size: 150%; } table { font-size:90%; }",
         "body { font-size: 11px; } h1 { font-size: 17px; } table { font-size:10px; }"},
        // A rule before the body's still takes the body's size.
        {"h2 { font-size: 100% } body { margin: 8px; FONT-SIZE : 50% }",
         "h2 { font-size: 8px } body { margin: 8px; FONT-SIZE : 8px }"},
        // No body size: relative to the medium size; a half goes to the even.
        {"p { font-size: 15.625%; } b { font-size: 46.875% }", "p { font-size: 2px; } b { font-size: 8px }"},
        // Other units and other percentages are left alone.
        {"body { font-size: 12pt; width: 70%; } h1 { line-height: 150%; font-size: 2em; }",
         "body { font-size: 12pt; width: 70%; } h1 { line-height: 150%; font-size: 2em; }"},
    };
    for (const auto& c : cases) {
        const std::string page = std::string("<html><head><style type=\"text/css\">") + c.sheet +
                                 "</style></head><body><p style=\"font-size: 50%\">50% font-size: 70%</p></body></html>";
        const std::string expected = std::string("<html><head><style type=\"text/css\">") + c.expected +
                                     "</style></head><body><p style=\"font-size: 50%\">50% font-size: 70%</p></body></html>";
        EXPECT_EQ(withPixelFontSizes(page, BrowserMediumPixels), expected) << c.sheet;
    }
    EXPECT_EQ(withPixelFontSizes("<p>font-size: 70%</p>", 16), "<p>font-size: 70%</p>");
}

TEST(HelpStyle, theHelpPageChangesOnlyInItsFontSizes)
{
    std::ifstream file(TINTORA_HELP_PAGE, std::ios::binary);
    ASSERT_TRUE(file) << TINTORA_HELP_PAGE;
    const std::string page = windows1251ToUtf8(std::string(std::istreambuf_iterator<char>(file), {}));
    std::string expected = page;
    for (const auto& [from, to] : {std::pair{"body { font-size: 70%;", "body { font-size: 11px;"},
                                   std::pair{"h1 { font-size: 150%;", "h1 { font-size: 17px;"},
                                   std::pair{"h2 { font-size: 100%;", "h2 { font-size: 11px;"},
                                   std::pair{"table { font-size: 90%;", "table { font-size: 10px;"}}) {
        const auto at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, std::string(from).size(), to);
    }
    EXPECT_EQ(withPixelFontSizes(page, BrowserMediumPixels), expected);
}
