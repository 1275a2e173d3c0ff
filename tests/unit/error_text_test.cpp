#include <gtest/gtest.h>

#include "core/error_text.h"

using namespace tintora;

TEST(ErrorBoxText, fullStopRule)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"Unable to write", "Unable to write."}, {"Done.", "Done."}, {"Why?", "Why?."},
                 {"(a)", "(a)"}, {"ends with -", "ends with -"}, {"ends with ,", "ends with ,"},
                 {"ends with !", "ends with !"}, {"", ""}, {"Ошибка", "Ошибка."}};
    for (const auto& c : cases) EXPECT_EQ(errorBoxText(c.in), c.out) << c.in;
}
