// The number texts of core/number_text.

#include <gtest/gtest.h>

#include "core/number_text.h"

using namespace tintora;

TEST(NumberText, oneDecimalRoundsHalfToEvenAndHasNoNegativeZero)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {53.21, "53.2"}, {0.25, "0.2"}, {0.75, "0.8"}, {-0.04, "0.0"}, {-0.06, "-0.1"},
        {-12.5, "-12.5"}, {100, "100.0"}, {99.96, "100.0"}, {-127.999, "-128.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(oneDecimal(c.value), c.text) << c.value;
    EXPECT_EQ(oneDecimal(-3.25, ","), "-3,2");
}
