#include "LineRule.h"
#include "ViewTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

std::vector<std::pair<int, int>> Line(GridPoint a, GridPoint b)
{
    std::vector<std::pair<int, int>> points;
    ForEachLinePoint(a, b, [&](int col, int row) { points.emplace_back(col, row); });
    return points;
}

using Points = std::vector<std::pair<int, int>>;

} // namespace

TEST(LineRule, StraightAndSteepLinesTakeOnePointPerStep)
{
    EXPECT_EQ(Line({0, 0}, {0, 3}).size(), 4u);
    EXPECT_EQ(Line({0, 0}, {3, 0}).size(), 4u);
    const Points steep = Line({0, 0}, {2, 5});
    ASSERT_EQ(steep.size(), 6u);
    for (int row = 0; row <= 5; ++row)
        EXPECT_EQ(steep[static_cast<std::size_t>(row)].second, row);
    EXPECT_EQ(steep.back(), std::make_pair(2, 5));
    EXPECT_EQ(Line({4, 4}, {4, 4}), (Points{{4, 4}}));
}

TEST(LineRule, TiesGoToThePointNotYetStepped)
{
    EXPECT_EQ(Line({0, 0}, {2, 1}), (Points{{0, 0}, {1, 0}, {2, 1}}));
    EXPECT_EQ(Line({0, 0}, {1, 2}), (Points{{0, 0}, {0, 1}, {1, 2}}));
}

TEST(LineRule, StartsAtTheSmallerColumnWhicheverEndIsTheAnchor)
{
    EXPECT_EQ(Line({5, 1}, {0, 3}), Line({0, 3}, {5, 1}));
    const Points down = Line({2, 6}, {7, 0});
    EXPECT_EQ(down.front(), std::make_pair(2, 6));
    EXPECT_EQ(down.back(), std::make_pair(7, 0));
    // Equal columns start at the second point.
    EXPECT_EQ(Line({3, 0}, {3, 2}).front(), std::make_pair(3, 2));
}

struct LineFixture : ViewFixtureBase, ::testing::Test
{};

TEST_F(LineFixture, CommitSetsEveryPointOfTheLineAndOnlyThose)
{
    MakeDoc(6, 6);
    SetTime(2, 1, 100.0f);
    SelectLineTargets(*doc, {0, 0}, {5, 2}, 900.0f);
    std::set<std::pair<int, int>> expected;
    for (const auto& p : Line({0, 0}, {5, 2}))
        expected.insert(p);
    for (int row = 0; row < 6; ++row)
        for (int col = 0; col < 6; ++col)
            EXPECT_EQ(doc->m_pScanTime[static_cast<std::size_t>(doc->IndexOf(col, row))],
                      expected.count({col, row}) ? 900.0f : 0.0f)
                << col << "," << row;
    // Points outside the grid are skipped, never written.
    SelectLineTargets(*doc, {-3, -3}, {8, 8}, 5.0f);
    EXPECT_EQ(doc->m_pScanTime[static_cast<std::size_t>(doc->IndexOf(5, 5))], 5.0f);
}

TEST_F(LineFixture, StatisticsCountAPendingGestureAsCommitted)
{
    MakeDoc(10, 10);
    SetTime(9, 9, 50.0f);
    const SelectionStatistics none = ComputeSelectionStatistics(*doc, state);
    EXPECT_EQ(none.count, 1);
    EXPECT_DOUBLE_EQ(none.totalSeconds, 50.0);

    state.dragMode = DragMode::Selecting;
    state.cursorType = 2;
    state.dragAnchor = {0, 0};
    state.dragCurrent = {4, 0};
    const SelectionStatistics line = ComputeSelectionStatistics(*doc, state);
    EXPECT_EQ(line.count, 6);
    EXPECT_DOUBLE_EQ(line.totalSeconds, 50.0 + 5 * 900.0);
    EXPECT_EQ(doc->ScanCount(), 1); // the selection itself is untouched

    // A rectangle over a target of 100 s re-times it: no new scan, 800 s more.
    SetTime(1, 1, 100.0f);
    state.cursorType = 4;
    state.dragAnchor = {1, 1};
    state.dragCurrent = {2, 1};
    const SelectionStatistics rect = ComputeSelectionStatistics(*doc, state);
    EXPECT_EQ(rect.count, 3);
    EXPECT_DOUBLE_EQ(rect.totalSeconds, 150.0 + 900.0 + 800.0);

    // The Curve tool and the colour-scale drag pend nothing.
    state.cursorType = 3;
    EXPECT_EQ(ComputeSelectionStatistics(*doc, state).count, 2);
    state.cursorType = 2;
    state.dragMode = DragMode::None;
    EXPECT_EQ(ComputeSelectionStatistics(*doc, state).count, 2);
}
