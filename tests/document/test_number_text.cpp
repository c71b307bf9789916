#include "NumberText.h"

#include <gtest/gtest.h>

#include <climits>

TEST(NumberText, AtolReadsAsTheCLibraryDoes)
{
    EXPECT_EQ(CAtol("1234"), 1234);
    EXPECT_EQ(CAtol("  \t-56 rest"), -56);
    EXPECT_EQ(CAtol("+7"), 7);
    EXPECT_EQ(CAtol("12.9"), 12);
    EXPECT_EQ(CAtol(""), 0);
    EXPECT_EQ(CAtol("x12"), 0);
    EXPECT_EQ(CAtol("-"), 0);
    EXPECT_EQ(CAtol("+-3"), 0);
    EXPECT_EQ(CAtol("0012"), 12);
    // Beyond 32 bits the value saturates instead of wrapping.
    EXPECT_EQ(CAtol("2147483648"), INT_MAX);
    EXPECT_EQ(CAtol("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(CAtol("-2147483648"), INT_MIN);
    EXPECT_EQ(CAtol("-99999999999"), INT_MIN);
}

TEST(NumberText, AtofAndFixedFormatting)
{
    EXPECT_DOUBLE_EQ(CAtof(" 105.50x"), 105.5);
    EXPECT_DOUBLE_EQ(CAtof("-2.5e1"), -25.0);
    EXPECT_DOUBLE_EQ(CAtof("abc"), 0.0);
    EXPECT_EQ(FormatFixed(0.5, 1), "0.5");
    EXPECT_EQ(FormatFixed(0.125, 2), "0.12"); // ties to even, as printf
    EXPECT_EQ(FormatFixed(2.5, 0), "2");
    EXPECT_EQ(FormatFixed(-0.04, 1), "-0.0");
    EXPECT_EQ(FormatFixed(1e20, 1), "100000000000000000000.0");
    EXPECT_EQ(FormatInt(-42), "-42");
}
