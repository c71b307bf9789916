#include "display/ColourTransform.h"
#include "tests/display/DisplayTestSupport.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

ColourTable Transform(int brightness, int contrast)
{
    ColourTable colours{};
    ApplyBrightnessContrast(IndexTable(), brightness, contrast, 0, 0, colours);
    return colours;
}

struct ExampleRow
{
    int brightness, contrast;
    COLORREF first, last;
};

} // namespace

TEST(BrightnessContrast, MatchesEveryRowOfTheWorkedExamples)
{
    const ExampleRow rows[] = {
        {127, 127, 0, 255}, {127, 255, 0, 255}, {127, 0, 51, 255},
        {0, 0, 0, 109},     {0, 127, 0, 85},    {255, 127, 255, 255},
    };
    for (const ExampleRow& row : rows) {
        const ColourTable colours = Transform(row.brightness, row.contrast);
        EXPECT_EQ(colours[0], row.first) << row.brightness << "/" << row.contrast;
        EXPECT_EQ(colours[255], row.last) << row.brightness << "/" << row.contrast;
    }
}

TEST(BrightnessContrast, MiddleSettingsLeaveTheTableUnchanged)
{
    EXPECT_EQ(Transform(127, 127), IndexTable());
}

TEST(BrightnessContrast, SteepContrastHoldsTheLowEntriesAtZero)
{
    const ColourTable colours = Transform(127, 255);
    for (std::size_t i = 0; i <= 64; ++i)
        EXPECT_EQ(colours[i], 0u) << i;
    EXPECT_GT(colours[65], 0u);
}

TEST(BrightnessContrast, FollowsTheAccumulatedStepWithRounding)
{
    // B 0, C 0: lo 64, w 445, so entry i shows (i - 64) * 255 / 445 rounded, held at 0.
    const ColourTable colours = Transform(0, 0);
    for (int i = 0; i < 256; ++i) {
        const double exact = (i - 64) * 255.0 / 445.0;
        const int expected = exact + 0.5 < 0 ? 0 : static_cast<int>(exact + 0.5);
        EXPECT_EQ(colours[static_cast<std::size_t>(i)], static_cast<COLORREF>(expected)) << i;
    }
}

TEST(BrightnessContrast, ExtremeStoredValuesStayInsideTheTable)
{
    for (int b : {INT_MIN, -1000, 0, 255, 1000, INT_MAX})
        for (int c : {INT_MIN, -1000, 0, 255, 1000, INT_MAX}) {
            const ColourTable colours = Transform(b, c);
            for (COLORREF colour : colours)
                ASSERT_LE(colour, 255u) << b << "/" << c;
        }
}

TEST(IntensityColour, LinearFromMinimumToMaximum)
{
    EXPECT_EQ(IntensityColourIndex(63, 0, 63), 255);
    EXPECT_EQ(IntensityColourIndex(62, 0, 63), 250);
    EXPECT_EQ(IntensityColourIndex(0, 0, 63), 0);
    EXPECT_EQ(IntensityColourIndex(1000, 0, 63), 255);
    EXPECT_EQ(IntensityColourIndex(-5, 0, 63), 0);
    EXPECT_EQ(IntensityColourIndex(INT_MAX, 0, INT_MAX), 255);
    EXPECT_EQ(IntensityColourIndex(INT_MAX - 1, 0, INT_MAX), 254);
}

TEST(IntensityColour, AgreesWithIntegerArithmeticOverWideRanges)
{
    for (int max : {63, 64, 255, 256, 1000, 65535, 1000003, INT_MAX / 3, INT_MAX})
        for (long long v = 0; v <= max; v += std::max(1, max / 997)) {
            const long long expected = v * 255 / max;
            ASSERT_EQ(IntensityColourIndex(static_cast<int>(v), 0, max), expected)
                << v << "/" << max;
        }
}

TEST(IntensityColour, NoMaximumNeverDividesByZero)
{
    EXPECT_EQ(IntensityColourIndex(10, 0, 0), 0);
    EXPECT_EQ(IntensityColourIndex(10, 0, -7), 0);
    EXPECT_EQ(IntensityColourIndex(INT_MIN, 0, -1), 0);
}

TEST(IntensityColour, NegativeMinimumStaysInsideTheTable)
{
    EXPECT_EQ(IntensityColourIndex(100, -100, 100), 255);
    EXPECT_EQ(IntensityColourIndex(-100, -100, 100), 0);
}

namespace {

DrawnRange Range(int min, int max, IntensityScale scale)
{
    return DrawnRange{min, max, scale, false, false};
}

} // namespace

TEST(RangeColourIndex, RisingLinearIsTodaysRule)
{
    const DrawnRange rising{0, 63, IntensityScale::Linear, true, false};
    for (int v : {INT32_MIN, -1, 0, 1, 62, 63, 64, INT32_MAX})
        EXPECT_EQ(RangeColourIndex(v, rising), IntensityColourIndex(v, 0, 63)) << v;
    EXPECT_EQ(RangeColourIndex(62, rising), 250);
}

TEST(RangeColourIndex, LinearOverAnyRange)
{
    const DrawnRange r = Range(-100, 100, IntensityScale::Linear);
    EXPECT_EQ(RangeColourIndex(-100, r), 0);
    EXPECT_EQ(RangeColourIndex(-101, r), 0);
    EXPECT_EQ(RangeColourIndex(0, r), 127);
    EXPECT_EQ(RangeColourIndex(99, r), 253);
    EXPECT_EQ(RangeColourIndex(100, r), 255);
    const DrawnRange whole = Range(INT32_MIN, INT32_MAX, IntensityScale::Linear);
    EXPECT_EQ(RangeColourIndex(INT32_MIN, whole), 0);
    EXPECT_EQ(RangeColourIndex(INT32_MAX - 1, whole), 254);
    EXPECT_EQ(RangeColourIndex(INT32_MAX, whole), 255);
    EXPECT_EQ(RangeColourIndex(0, whole), 127);
}

TEST(RangeColourIndex, EqualLimitsSplitAtTheValue)
{
    for (IntensityScale scale :
         {IntensityScale::Linear, IntensityScale::SquareRoot, IntensityScale::Logarithmic}) {
        const DrawnRange r = Range(42, 42, scale);
        EXPECT_EQ(RangeColourIndex(42, r), 0);
        EXPECT_EQ(RangeColourIndex(41, r), 0);
        EXPECT_EQ(RangeColourIndex(43, r), 255);
    }
}

TEST(RangeColourIndex, SquareRootScale)
{
    const DrawnRange r = Range(0, 10000, IntensityScale::SquareRoot);
    EXPECT_EQ(RangeColourIndex(0, r), 0);
    EXPECT_EQ(RangeColourIndex(100, r), 25);   // sqrt(0.01) * 255 = 25.5
    EXPECT_EQ(RangeColourIndex(2500, r), 127); // 0.5 * 255
    EXPECT_EQ(RangeColourIndex(9999, r), 254);
    EXPECT_EQ(RangeColourIndex(10000, r), 255);
    const DrawnRange negative = Range(-400, 0, IntensityScale::SquareRoot);
    EXPECT_EQ(RangeColourIndex(-300, negative), 127);
    const DrawnRange whole = Range(INT32_MIN, INT32_MAX, IntensityScale::SquareRoot);
    EXPECT_EQ(RangeColourIndex(INT32_MAX - 1, whole), 254);
    EXPECT_EQ(RangeColourIndex(INT32_MIN + 1, whole), 0);
}

TEST(RangeColourIndex, LogScale)
{
    const DrawnRange r = Range(1, 1000, IntensityScale::Logarithmic);
    EXPECT_EQ(RangeColourIndex(0, r), 0);
    EXPECT_EQ(RangeColourIndex(-5, r), 0);
    EXPECT_EQ(RangeColourIndex(INT32_MIN, r), 0);
    EXPECT_EQ(RangeColourIndex(1, r), 0);
    EXPECT_EQ(RangeColourIndex(10, r), 85);
    EXPECT_EQ(RangeColourIndex(100, r), 170);
    EXPECT_EQ(RangeColourIndex(999, r), 254);
    EXPECT_EQ(RangeColourIndex(1000, r), 255);
    // A minimum at or below 0 handed in directly still never takes a logarithm of it.
    const DrawnRange zero = Range(0, 100, IntensityScale::Logarithmic);
    EXPECT_EQ(RangeColourIndex(0, zero), 0);
    EXPECT_EQ(RangeColourIndex(1, zero), 0);
    EXPECT_EQ(RangeColourIndex(10, zero), 127);
    const DrawnRange whole = Range(1, INT32_MAX, IntensityScale::Logarithmic);
    EXPECT_EQ(RangeColourIndex(INT32_MAX, whole), 255);
    EXPECT_EQ(RangeColourIndex(INT32_MAX - 1, whole), 254);
}

TEST(RangeColourIndex, EveryScaleIsMonotone)
{
    for (IntensityScale scale :
         {IntensityScale::Linear, IntensityScale::SquareRoot, IntensityScale::Logarithmic}) {
        const DrawnRange r = Range(3, 70000, scale);
        int last = 0;
        for (int v = -10; v <= 70010; ++v) {
            const int index = RangeColourIndex(v, r);
            ASSERT_GE(index, last) << v;
            last = index;
        }
        EXPECT_EQ(last, 255);
    }
}
