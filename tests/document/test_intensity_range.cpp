#include "document/IntensityRange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

namespace {

MeasuredSummary Summary(const std::vector<std::int32_t>& values, double p = 1.0,
                        const std::vector<std::uint8_t>& measured = {})
{
    return SummariseMeasured(values, measured, p);
}

// The percentiles by sorting, to hold the histogram's answer against.
std::pair<int, int> SortedPercentiles(std::vector<std::int32_t> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto n = static_cast<std::int64_t>(values.size());
    return {values[static_cast<std::size_t>(LowerPercentileRank(n, p))],
            values[static_cast<std::size_t>(UpperPercentileRank(n, p))]};
}

} // namespace

TEST(MeasuredSummary, LeavesOutPointsNotMeasured)
{
    const std::vector<std::int32_t> values{0, 5, 900, -3, 7};
    const std::vector<std::uint8_t> measured{0, 1, 0, 1, 1};
    const MeasuredSummary s = Summary(values, 0.0, measured);
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(s.min, -3);
    EXPECT_EQ(s.max, 7);
    EXPECT_EQ(s.smallestPositive, 5);
    EXPECT_EQ(s.low, -3);
    EXPECT_EQ(s.high, 7);

    const MeasuredSummary none = Summary(values, 1.0, {0, 0, 0, 0, 0});
    EXPECT_EQ(none.count, 0);
}

TEST(MeasuredSummary, PercentilesEqualThoseOfTheSortedValues)
{
    std::mt19937 random(7);
    // Narrow values (one per bin), wide ones (bins of many values) and the 32-bit ends.
    for (const auto& [lo, hi] :
         {std::pair{0, 5000}, std::pair{-1000000, 50000000}, std::pair{INT32_MIN, INT32_MAX}}) {
        std::uniform_int_distribution<std::int32_t> value(lo, hi);
        std::vector<std::int32_t> values(20001);
        for (auto& v : values)
            v = value(random);
        for (double p : {0.0, 0.5, 1.0, 25.0, 50.0}) {
            const MeasuredSummary s = Summary(values, p);
            const auto [low, high] = SortedPercentiles(values, p);
            EXPECT_EQ(s.low, low) << lo << " p " << p;
            EXPECT_EQ(s.high, high) << lo << " p " << p;
        }
    }
}

TEST(MeasuredSummary, OneHotPointDoesNotMoveTheUpperPercentile)
{
    std::vector<std::int32_t> values(10000);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<std::int32_t>(i % 100);
    values[1234] = INT32_MAX;
    const MeasuredSummary s = Summary(values, 1.0);
    EXPECT_EQ(s.max, INT32_MAX);
    EXPECT_EQ(s.high, 99);
    EXPECT_EQ(s.low, 0);
}

TEST(MeasuredSummary, EqualValuesAndOnePoint)
{
    const MeasuredSummary equal = Summary(std::vector<std::int32_t>(50, 42), 1.0);
    EXPECT_EQ(equal.low, 42);
    EXPECT_EQ(equal.high, 42);
    const MeasuredSummary one = Summary({INT32_MIN}, 1.0);
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.low, INT32_MIN);
    EXPECT_EQ(one.high, INT32_MIN);
    EXPECT_EQ(one.smallestPositive, 0);
}

TEST(ResolveRange, EachModeTakesItsLimits)
{
    MeasuredSummary s;
    s.count = 10;
    s.min = -5;
    s.max = 900;
    s.low = 3;
    s.high = 80;
    s.smallestPositive = 2;
    RangeSettings settings;
    EXPECT_EQ(ResolveRange(settings, 0, 1000, s),
              (DrawnRange{0, 1000, IntensityScale::Linear, true}));
    settings.mode = RangeMode::Fixed;
    settings.fixedMin = 10;
    settings.fixedMax = 20;
    EXPECT_EQ(ResolveRange(settings, 0, 1000, s),
              (DrawnRange{10, 20, IntensityScale::Linear, false}));
    settings.mode = RangeMode::Automatic;
    EXPECT_EQ(ResolveRange(settings, 0, 1000, s),
              (DrawnRange{-5, 900, IntensityScale::Linear, false}));
    settings.mode = RangeMode::Percentile;
    EXPECT_EQ(ResolveRange(settings, 0, 1000, s),
              (DrawnRange{3, 80, IntensityScale::Linear, false}));
    // Nothing measured yet: the rising range stands in.
    EXPECT_EQ(ResolveRange(settings, 0, 63, MeasuredSummary{}).max, 63);
}

TEST(ResolveRange, LogScaleStartsAtTheSmallestPositiveValue)
{
    MeasuredSummary s;
    s.count = 3;
    s.min = -7;
    s.max = 5000;
    s.smallestPositive = 4;
    RangeSettings settings;
    settings.scale = IntensityScale::Logarithmic;
    settings.mode = RangeMode::Automatic;
    const DrawnRange r = ResolveRange(settings, 0, 63, s);
    EXPECT_EQ(r.min, 4);
    EXPECT_EQ(r.max, 5000);
    EXPECT_FALSE(r.rising);
    // No positive value at all: 1, and a maximum below it is raised.
    s.smallestPositive = 0;
    s.max = -1;
    const DrawnRange none = ResolveRange(settings, 0, 63, s);
    EXPECT_EQ(none.min, 1);
    EXPECT_EQ(none.max, 1);
}

TEST(RangeSettings, ValidityCheck)
{
    EXPECT_TRUE(IsValidRangeSettings(RangeSettings{}));
    RangeSettings s;
    s.fixedMin = s.fixedMax;
    EXPECT_FALSE(IsValidRangeSettings(s));
    s = {};
    s.percentile = 50.5;
    EXPECT_FALSE(IsValidRangeSettings(s));
    s.percentile = std::nan("");
    EXPECT_FALSE(IsValidRangeSettings(s));
    s = {};
    s.mode = static_cast<RangeMode>(9);
    EXPECT_FALSE(IsValidRangeSettings(s));
}

TEST(DocumentRange, MarksAndStaleness)
{
    DocumentRange range;
    range.ResetMeasured(4, false);
    EXPECT_FALSE(range.IsMeasured(2));
    range.MarkMeasured(2);
    range.MarkMeasured(99); // outside: ignored
    EXPECT_TRUE(range.IsMeasured(2));
    EXPECT_FALSE(range.IsMeasured(99));
    range.settings.mode = RangeMode::Automatic;
    const std::vector<std::int32_t> values{100, 200, 7, 300};
    EXPECT_TRUE(range.IsStale());
    EXPECT_TRUE(range.Refresh(values));
    EXPECT_EQ(range.Summary().min, 7);
    EXPECT_EQ(range.Summary().max, 7);
    EXPECT_FALSE(range.IsStale());
    range.settings.percentile = 5.0;
    EXPECT_TRUE(range.IsStale());

    range.ResetMeasured(4, true);
    EXPECT_TRUE(range.AllMeasured());
    EXPECT_TRUE(range.IsMeasured(3));
}
