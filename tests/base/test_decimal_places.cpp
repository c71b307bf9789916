#include "base/DecimalPlaces.h"
#include "base/FormatGmtNow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

TEST(DecimalPlaces, ListedSteps)
{
    const struct
    {
        float step;
        int decimals;
    } cases[] = {
        {1.0f, 0},    {2.0f, 0},  {10.0f, 0},  {100.0f, 0}, {0.5f, 1},   {0.1f, 1},
        {0.2f, 1},    {0.3f, 1},  {1.5f, 1},   {2.5f, 1},   {0.25f, 2},  {0.05f, 2},
        {0.15f, 2},   {0.01f, 2}, {0.125f, 3}, {0.333f, 3}, {0.001f, 3}, {0.0625f, 4},
        {0.0001f, 4}, {4e-7f, 0}, {0.0f, 0},   {-0.5f, 6},  {-1.0f, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecimalPlaces(c.step), c.decimals) << "step " << c.step;
}

TEST(DecimalPlaces, EndsForStepsTheRuleCannotFinish)
{
    // 3000.1 as a float never gets within 0.000001 before the 32-bit truncation wraps.
    EXPECT_EQ(DecimalPlaces(3000.1f), 1);
    EXPECT_EQ(DecimalPlaces(1e10f), 0);
    EXPECT_EQ(DecimalPlaces(2147483648.0f), 0);
    EXPECT_EQ(DecimalPlaces(-3e9f), 0);
    EXPECT_EQ(DecimalPlaces(123456.7f), 1);
    const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::max(),
                         1.0e-30f,
                         77777.77f};
    for (float step : odd) {
        const int n = DecimalPlaces(step);
        EXPECT_GE(n, 0);
        EXPECT_LE(n, 9);
    }
}

TEST(FormatGmt, PadsTheHourWithASpace)
{
    char date[12];
    char time[12];
    // 2003-03-02 08:07:06 UTC
    FormatGmt(1046592426, date, time);
    EXPECT_STREQ(date, "2003-03-02");
    EXPECT_STREQ(time, " 8:07:06");
    FormatGmt(1046614800, date, time);
    EXPECT_STREQ(time, "14:20:00");
}

TEST(FormatGmt, CutsTextsThatDoNotFit)
{
    char date[12];
    char time[12];
    // Year 12000: "12000-01-01" has 11 characters, a sixth digit would not fit.
    FormatGmt(316516204800LL, date, time);
    EXPECT_STREQ(date, "12000-01-01");
    FormatGmt(3155695200000LL, date, time); // year 101970
    EXPECT_EQ(std::string(date).size(), 11u);
}
