#include "plot3d/AxisTicks.h"
#include "plot3d/Plot3DSettings.h"
#include "plot3d/Plot3DWindowSize.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::vector<std::string> Labels(const AxisTicks& ticks)
{
    std::vector<std::string> labels;
    for (double v : ticks.values)
        labels.push_back(TickLabel(v, ticks.decimals));
    return labels;
}

// What every axis must give: both ends, ascending values, no label twice, no "-0".
void ExpectReadable(double low, double high, double resolution, int segments)
{
    const AxisTicks ticks = ChooseAxisTicks(low, high, resolution, segments);
    const std::vector<std::string> labels = Labels(ticks);
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(ticks.values.front(), low);
    EXPECT_EQ(ticks.values.back(), high);
    EXPECT_TRUE(std::is_sorted(ticks.values.begin(), ticks.values.end()));
    EXPECT_EQ(std::set<std::string>(labels.begin(), labels.end()).size(), labels.size())
        << low << ".." << high;
    EXPECT_LE(labels.size(), static_cast<std::size_t>(segments) + 2);
    for (const std::string& label : labels)
        EXPECT_FALSE(label.front() == '-' && label.find_first_not_of("-0.") == std::string::npos)
            << label;
}

TEST(AxisTicksTest, FlatAndNearlyFlatRangesGiveDistinctWholeLabels)
{
    EXPECT_EQ(Labels(ChooseAxisTicks(500, 501, 1.0, 8)), (std::vector<std::string>{"500", "501"}));
    EXPECT_EQ(Labels(ChooseAxisTicks(500, 500, 1.0, 8)), (std::vector<std::string>{"500"}));
    // A colour range from 0: round steps, the top of the range labelled as it is.
    EXPECT_EQ(Labels(ChooseAxisTicks(0, 501, 1.0, 8)),
              (std::vector<std::string>{"0", "100", "200", "300", "400", "501"}));
    EXPECT_EQ(Labels(ChooseAxisTicks(0, 12300, 1.0, 8)),
              (std::vector<std::string>{"0", "2000", "4000", "6000", "8000", "10000", "12300"}));
    // Positions 0, 1, 2 mm: no "0 0 1 1 2 2".
    EXPECT_EQ(Labels(ChooseAxisTicks(0, 2, 1.0, 5)), (std::vector<std::string>{"0", "1", "2"}));
    for (double high : {1.0, 2.0, 3.0, 7.0, 10.0, 99.0, 101.0, 999.0, 1e6 + 1})
        for (int segments : {1, 5, 8})
            ExpectReadable(0.0, high, 1.0, segments);
    ExpectReadable(-7, 3, 1.0, 5);
    ExpectReadable(-2147483648.0, 2147483647.0, 1.0, 8);
}

TEST(AxisTicksTest, PositionsKeepTheirIncrementsDecimalsAndNeverShowMinusZero)
{
    EXPECT_EQ(Labels(ChooseAxisTicks(-4.0, 4.0, 0.1, 5)),
              (std::vector<std::string>{"-4.0", "-2.0", "0.0", "2.0", "4.0"}));
    EXPECT_EQ(TickLabel(-1e-9, 1), "0.0");
    EXPECT_EQ(TickLabel(-0.0, 0), "0");
    EXPECT_EQ(TickLabel(-0.5, 1), "-0.5");
    ExpectReadable(-0.4, 0.4, 0.1, 5);
    ExpectReadable(-0.3f, 0.3f, 0.1, 5);
    ExpectReadable(10.0, 10.1, 0.1, 5);
    ExpectReadable(0.0, 99.9, 0.1, 5);
    ExpectReadable(-1.25, 1.25, 0.01, 5);
    // Ends closer than the printed precision keep one label.
    EXPECT_EQ(Labels(ChooseAxisTicks(1.0, 1.04, 0.1, 5)), (std::vector<std::string>{"1.0"}));
}

TEST(Plot3DWindowSizeTest, OpensAtTwoThirdsOfTheScreenThenAtTheLastSizeKeptOnIt)
{
    const QSize screen(1600, 1000);
    Plot3DSettings settings;
    EXPECT_EQ(Plot3DWindowSize(settings, screen), QSize(1067, 667));
    settings.windowWidth = 900;
    settings.windowHeight = 700;
    EXPECT_EQ(Plot3DWindowSize(settings, screen), QSize(900, 700));
    // Kept on a larger screen, restored on a smaller one: never beyond it.
    EXPECT_EQ(Plot3DWindowSize(settings, QSize(800, 600)), QSize(800, 600));
    settings.windowWidth = 10;
    settings.windowHeight = 10;
    EXPECT_EQ(Plot3DWindowSize(settings, screen), kMinPlot3DWindowSize);
    EXPECT_EQ(Plot3DWindowSize(settings, QSize(300, 200)), QSize(300, 200));
}

} // namespace
