#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "help/help_navigation.h"

using namespace tintora;

TEST(HelpNavigation, webAddressesGoToTheSystemBrowser)
{
    const struct {
        const char* address;
        Navigation expected;
    } cases[] = {
        {"http://example.org/", Navigation::SystemBrowser},
        {"https://example.org/page?x=1", Navigation::SystemBrowser},
        {"res:///opt/x/redirect?to=http://example.org", Navigation::SystemBrowser},
        {"about:blank#https://", Navigation::SystemBrowser},
        {"HTTP://EXAMPLE.ORG/", Navigation::InsideTheView},
        {"Https://example.org/", Navigation::InsideTheView},
        {"http:/example.org", Navigation::InsideTheView},
        {"res:///opt/Tintora 1.2/tintora/HELP", Navigation::InsideTheView},
        {"res:///home/пользователь/программы/tintora/HELP", Navigation::InsideTheView},
        {"res:///opt/tintora/HELP#hotkeys", Navigation::InsideTheView},
        {"mailto:someone@example.org", Navigation::InsideTheView},
        {"", Navigation::InsideTheView},
    };
    for (const auto& c : cases) EXPECT_EQ(navigationFor(c.address), c.expected) << c.address;
}

TEST(HelpNavigation, helpAddressKeepsThePathAsItIs)
{
    const struct {
        const char* path;
        const char* address;
    } cases[] = {
        {"/opt/tintora/tintora", "res:///opt/tintora/tintora/HELP"},
        {"/opt/Tintora 1.2/bin/tintora", "res:///opt/Tintora 1.2/bin/tintora/HELP"},
        {"/home/пользователь/Цвет%20/tintora", "res:///home/пользователь/Цвет%20/tintora/HELP"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(helpAddress(c.path), c.address);
        EXPECT_EQ(navigationFor(helpAddress(c.path)), Navigation::InsideTheView);
    }
}

TEST(Windows1251, cyrillicAndPunctuation)
{
    EXPECT_EQ(windows1251ToUtf8("\xD1\xEF\xF0\xE0\xE2\xEA\xE0"), "Справка");
    EXPECT_EQ(windows1251ToUtf8("\xA8\xB8 \x97 \xB9 \xA0"), "Ёё — № \u00A0");
    EXPECT_EQ(windows1251ToUtf8("plain <b>ASCII</b>\r\n"), "plain <b>ASCII</b>\r\n");
    EXPECT_EQ(windows1251ToUtf8("\x98"), "\uFFFD");
}

TEST(HelpPage, storedInWindows1251WithCrLfAndItsCharsetDeclared)
{
    std::ifstream in(TINTORA_HELP_PAGE, std::ios::binary);
    ASSERT_TRUE(in) << TINTORA_HELP_PAGE;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Every line ends in CR LF.
    for (std::size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1))
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
    EXPECT_NE(bytes.find("charset=windows-1251"), std::string::npos);
    const std::string text = windows1251ToUtf8(bytes);
    for (const char* expected : {"<h1>Tintora 1.2</h1>", "Пипетка с поддержкой LUT видеоадаптера",
                                 "<b>Ctrl + Alt + C</b> — копировать цвет  LUT в виде RRGGBB",
                                 "<b>I</b>, <b>Ctrl + I</b> — закрыть приложение", "на цвеовом квадрате", "2019 г."})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}
