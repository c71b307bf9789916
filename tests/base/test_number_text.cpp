#include "base/NumberText.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <locale.h>
#include <random>
#include <string>

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

// Groups of three from the right, the sign never taken for a digit, whatever the locale.
TEST(NumberText, GroupedCounts)
{
    EXPECT_EQ(FormatGrouped(0), "0");
    EXPECT_EQ(FormatGrouped(999), "999");
    EXPECT_EQ(FormatGrouped(1000), "1,000");
    EXPECT_EQ(FormatGrouped(12345), "12,345");
    EXPECT_EQ(FormatGrouped(361201), "361,201");
    EXPECT_EQ(FormatGrouped(-100), "-100");
    EXPECT_EQ(FormatGrouped(-100000), "-100,000");
    EXPECT_EQ(FormatGrouped(LLONG_MIN), "-9,223,372,036,854,775,808");
}

// Random texts of digits, points, signs, exponents, hex prefixes, white space and runs long
// enough to round or to overflow: every one reads to the very bits strtod gives in the C
// locale, including -0 and infinities.
TEST(NumberText, AtofGivesTheBitsOfStrtodForEveryText)
{
    const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    ASSERT_NE(c, static_cast<locale_t>(nullptr));
    const std::string pieces[] = {"0",
                                  "1",
                                  "5",
                                  "9",
                                  "00",
                                  "123456789",
                                  ".",
                                  "-",
                                  "+",
                                  "e",
                                  "E",
                                  "e-",
                                  "e+3",
                                  "e308",
                                  "e-320",
                                  "x",
                                  "0x1",
                                  "p3",
                                  " ",
                                  "\t",
                                  "inf",
                                  "nan",
                                  "9999999999999999999999",
                                  "17976931348623157",
                                  "24703282292062327"};
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> count(1, 8);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (int n = count(random); n > 0; --n)
            text += pieces[pick(random)];
        const double expected = strtod_l(text.c_str(), nullptr, c);
        const double got = CAtof(text.c_str());
        ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(expected))
            << '"' << text << '"';
    }
    freelocale(c);
}
