#include <gtest/gtest.h>
TEST(Placeholder, none) {}
