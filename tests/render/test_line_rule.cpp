#include "render/LineRule.h"
#include "tests/common/ViewTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
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

// ceil(n / d) for d > 0.
long long CeilDiv(long long n, long long d)
{
    return n >= 0 ? (n + d - 1) / d : -((-n) / d);
}

// The line drawn from its definition: from the start (smaller column, or b on equal
// columns) one point per step along the longer axis, on the nearest row (or column) to
// the exact line, a tie going to the one nearer the start.
Points ReferenceLine(GridPoint a, GridPoint b)
{
    const GridPoint s = a.x < b.x ? a : b;
    const GridPoint e = a.x < b.x ? b : a;
    const long long dx = e.x - s.x;
    const long long dy = std::llabs(static_cast<long long>(e.y) - s.y);
    const int step = e.y >= s.y ? 1 : -1;
    Points points;
    if (dy <= dx) {
        for (long long i = 0; i <= dx; ++i) {
            const long long k = dx == 0 ? 0 : CeilDiv(2 * dy * i - dx, 2 * dx);
            points.emplace_back(static_cast<int>(s.x + i), static_cast<int>(s.y + step * k));
        }
    } else {
        for (long long j = 0; j <= dy; ++j) {
            const long long k = CeilDiv(2 * dx * j - dy, 2 * dy);
            points.emplace_back(static_cast<int>(s.x + k), static_cast<int>(s.y + step * j));
        }
    }
    return points;
}

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

TEST(LineRule, MatchesTheNearestPointDefinitionInAllEightOctants)
{
    // Every end point within 12 of the start covers all eight octants and their borders.
    const GridPoint start{20, 20};
    int lines = 0;
    for (int x = 8; x <= 32; ++x)
        for (int y = 8; y <= 32; ++y) {
            const GridPoint end{x, y};
            const Points expected = ReferenceLine(start, end);
            ASSERT_EQ(Line(start, end), expected) << x << "," << y;
            ASSERT_EQ(Line(end, start), ReferenceLine(end, start)) << x << "," << y;
            // Both ends are always on the line.
            const std::set<std::pair<int, int>> set(expected.begin(), expected.end());
            ASSERT_TRUE(set.count({start.x, start.y}) && set.count({x, y})) << x << "," << y;
            ++lines;
        }
    EXPECT_EQ(lines, 625);
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
    const SelectionStatistics none = ComputeSelectionStatistics(*doc, state.tools);
    EXPECT_EQ(none.count, 1);
    EXPECT_DOUBLE_EQ(none.totalSeconds, 50.0);

    state.tools.dragMode = DragMode::Selecting;
    state.tools.tool = CursorTool::Line;
    state.tools.dragAnchor = {0, 0};
    state.tools.dragCurrent = {4, 0};
    const SelectionStatistics line = ComputeSelectionStatistics(*doc, state.tools);
    EXPECT_EQ(line.count, 6);
    EXPECT_DOUBLE_EQ(line.totalSeconds, 50.0 + 5 * 900.0);
    EXPECT_EQ(doc->ScanCount(), 1); // the selection itself is untouched

    // A rectangle over a target of 100 s re-times it: no new scan, 800 s more.
    SetTime(1, 1, 100.0f);
    state.tools.tool = CursorTool::Rectangle;
    state.tools.dragAnchor = {1, 1};
    state.tools.dragCurrent = {2, 1};
    const SelectionStatistics rect = ComputeSelectionStatistics(*doc, state.tools);
    EXPECT_EQ(rect.count, 3);
    EXPECT_DOUBLE_EQ(rect.totalSeconds, 150.0 + 900.0 + 800.0);

    // The Curve tool and the colour-scale drag pend nothing.
    state.tools.tool = CursorTool::Curve;
    EXPECT_EQ(ComputeSelectionStatistics(*doc, state.tools).count, 2);
    state.tools.tool = CursorTool::Line;
    state.tools.dragMode = DragMode::None;
    EXPECT_EQ(ComputeSelectionStatistics(*doc, state.tools).count, 2);
}
