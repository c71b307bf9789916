#include "render/RangeTexts.h"

#include <gtest/gtest.h>

#include <climits>

TEST(ColourScaleTopText, TheMaximumAloneByDefaultElseWithScaleAndLock)
{
    EXPECT_EQ(ColourScaleTopText(DrawnRange{}), QStringLiteral("63"));
    EXPECT_EQ(ColourScaleTopText(DrawnRange{0, INT32_MAX, IntensityScale::Linear, false, false}),
              QStringLiteral("2147483647"));
    EXPECT_EQ(ColourScaleTopText(DrawnRange{0, 500, IntensityScale::SquareRoot, false, false}),
              QStringLiteral("500 sqrt"));
    EXPECT_EQ(ColourScaleTopText(DrawnRange{1, -5, IntensityScale::Logarithmic, false, true}),
              QStringLiteral("-5 log locked"));
    EXPECT_EQ(ColourScaleTopText(DrawnRange{0, 63, IntensityScale::Linear, true, true}),
              QStringLiteral("63 locked"));
}

TEST(DecadeTicks, PowersOfTenStrictlyInsideALogRange)
{
    const auto ticks = DecadeTicks(DrawnRange{1, 1000, IntensityScale::Logarithmic, false, false});
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0].value, 10);
    EXPECT_DOUBLE_EQ(ticks[0].height, 1.0 / 3.0);
    EXPECT_EQ(ticks[1].value, 100);
    EXPECT_DOUBLE_EQ(ticks[1].height, 2.0 / 3.0);
    const auto wide =
        DecadeTicks(DrawnRange{1, INT32_MAX, IntensityScale::Logarithmic, false, false});
    ASSERT_EQ(wide.size(), 9u);
    EXPECT_EQ(wide.back().value, 1000000000);
    EXPECT_TRUE(DecadeTicks(DrawnRange{5, 9, IntensityScale::Logarithmic, false, false}).empty());
    EXPECT_TRUE(DecadeTicks(DrawnRange{7, 7, IntensityScale::Logarithmic, false, false}).empty());
    EXPECT_TRUE(DecadeTicks(DrawnRange{1, 1000, IntensityScale::Linear, false, false}).empty());
}
