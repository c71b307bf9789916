#include "plot3d/SurfaceThinning.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<double> Ramp(int columns, int rows)
{
    std::vector<double> values(static_cast<std::size_t>(columns) * rows);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<double>(i % 97);
    return values;
}

TEST(SurfaceThinningTest, SmallGridIsKeptAsItIs)
{
    const std::vector<double> values = Ramp(4, 3);
    const ThinnedGrid grid = ThinGrid(values, 4, 3, 250);
    EXPECT_EQ(grid.columns, 4);
    EXPECT_EQ(grid.rows, 3);
    EXPECT_EQ(grid.values, values);
    EXPECT_EQ(grid.columnIndex, (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(grid.rowIndex, (std::vector<double>{0, 1, 2}));
}

TEST(SurfaceThinningTest, LargeGridKeepsItsSpanAndItsExtremes)
{
    constexpr int kSide = 1000;
    std::vector<double> values(static_cast<std::size_t>(kSide) * kSide, 100.0);
    values[123456] = 5000.0; // one sharp peak
    values[987] = -20.0;     // one dip, in another block
    values[500 * kSide + 3] = 99.0;
    const ThinnedGrid grid = ThinGrid(values, kSide, kSide, 250);
    ASSERT_EQ(grid.columns, 250);
    ASSERT_EQ(grid.rows, 250);
    ASSERT_EQ(grid.values.size(), 250u * 250u);
    EXPECT_EQ(grid.columnIndex.front(), 0.0);
    EXPECT_EQ(grid.columnIndex.back(), kSide - 1.0);
    EXPECT_EQ(grid.rowIndex.back(), kSide - 1.0);
    EXPECT_EQ(*std::max_element(grid.values.begin(), grid.values.end()), 5000.0);
    EXPECT_EQ(*std::min_element(grid.values.begin(), grid.values.end()), -20.0);
    // Each extreme stands for its own block and nowhere else.
    EXPECT_EQ(std::count(grid.values.begin(), grid.values.end(), 5000.0), 1);
    EXPECT_EQ(std::count(grid.values.begin(), grid.values.end(), -20.0), 1);
    EXPECT_EQ(grid.values[(123456 / kSide / 4) * 250 + (123456 % kSide) / 4], 5000.0);
}

TEST(SurfaceThinningTest, OneLongSideIsThinnedTheOtherKept)
{
    const std::vector<double> values = Ramp(1, 600);
    const ThinnedGrid grid = ThinGrid(values, 1, 600, 250);
    EXPECT_EQ(grid.columns, 1);
    EXPECT_EQ(grid.rows, 250);
    EXPECT_EQ(grid.columnIndex, std::vector<double>{0.0});
    EXPECT_EQ(grid.values.size(), 250u);
}

TEST(SurfaceThinningTest, TooFewValuesGiveAnEmptyGrid)
{
    EXPECT_EQ(ThinGrid(std::vector<double>(5), 3, 2, 250).values.size(), 0u);
    EXPECT_EQ(ThinGrid({}, 0, 0, 250).columns, 0);
}

} // namespace
