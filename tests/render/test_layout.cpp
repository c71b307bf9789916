#include "render/CellPlacement.h"
#include "render/ViewLayout.h"
#include "tests/common/ViewTestSupport.h"

#include <gtest/gtest.h>

TEST(Layout, WorkedFigureOnScreen)
{
    const PatternLayout layout = ComputeLayout(kScreenLayout, 800, 600, 17, 150, 51, 51);
    EXPECT_EQ(layout.image.topLeft(), QPoint(37, 20));
    // A_w = 800 - 40 - 150 - 15 - 17 = 578, A_h = 600 - 40 - 17 = 543: cells of 10.
    EXPECT_EQ(layout.cellSize, 10);
    EXPECT_EQ(layout.image.right(), 37 + 510 - 1);
    EXPECT_EQ(layout.image.bottom(), 20 + 510 - 1);
    EXPECT_EQ(layout.bar.left(), layout.image.right() + 15);
    EXPECT_EQ(layout.bar.width(), 30);
    EXPECT_EQ(layout.bar.top(), 20);
    EXPECT_EQ(layout.bar.bottom(), 147);
}

TEST(Layout, PanelWidthIsTheWiderOfScaleAndStatisticsTitle)
{
    // Narrow title: the panel is scale width + line height = 47.
    const PatternLayout narrow = ComputeLayout(kScreenLayout, 300, 1000, 17, 10, 10, 1);
    EXPECT_EQ(narrow.cellSize, (300 - 40 - 47 - 15 - 17) / 10);
    const PatternLayout wide = ComputeLayout(kScreenLayout, 300, 1000, 17, 100, 10, 1);
    EXPECT_EQ(wide.cellSize, (300 - 40 - 100 - 15 - 17) / 10);
}

TEST(Layout, CellSizeLimits)
{
    EXPECT_EQ(ComputeLayout(kScreenLayout, 4000, 4000, 17, 150, 1, 1).cellSize, 64);
    EXPECT_EQ(ComputeLayout(kPrintLayout, kPrintPageSize, kPrintPageSize, 40, 400, 1, 1).cellSize,
              128);
    for (int size : {0, 1, 50, 120})
        EXPECT_EQ(ComputeLayout(kScreenLayout, size, size, 17, 150, 3, 3).cellSize, 1) << size;
    EXPECT_EQ(ComputeLayout(kScreenLayout, -5, -5, 17, 150, 0, 0).cellSize, 1);
}

TEST(Layout, EachZoomStepInShowsFewerPointsEachAtLeastAsLarge)
{
    // A small pattern (41 points a side) and a large one, in a typical window.
    for (const int points : {41, 1001}) {
        int lastCells = 0;
        int lastShown = points + 1;
        for (int zoom = 1; zoom <= 8; ++zoom) {
            const VisibleRange range = ZoomRange(points, zoom, -1);
            const int shown = range.last - range.first + 1;
            const PatternLayout layout =
                ComputeLayout(kScreenLayout, 1000, 900, 17, 150, shown, shown, zoom);
            EXPECT_LE(shown, lastShown) << points << " zoom " << zoom;
            EXPECT_GE(layout.cellSize, lastCells) << points << " zoom " << zoom;
            lastShown = shown;
            lastCells = layout.cellSize;
        }
        // The last step in fills the room the page leaves for the image (778 pixels wide:
        // 1000 less margins, panel, gap and axis).
        EXPECT_GE(lastCells * lastShown, 778 - lastShown) << points;
    }
}

TEST(Layout, APageOfThatSizeFitsCellsOfOnePixel)
{
    for (const int points : {1, 7, 1001, 4096}) {
        const QSize page = PageSizeForSinglePixelCells(kScreenLayout, 17, 150, points, points);
        const PatternLayout fits =
            ComputeLayout(kScreenLayout, page.width(), page.height(), 17, 150, points, points);
        EXPECT_EQ(fits.cellSize, 1) << "no larger than one pixel a cell needs";
        // The statistics panel (150 wide) and the margin lie right of the scale, inside the
        // page; the X axis values below the image.
        const int margin = kScreenLayout.margin;
        EXPECT_LE(fits.bar.left() + 150 + margin, page.width()) << points;
        EXPECT_LE(fits.image.bottom() + 1 + 17 + margin, page.height()) << points;
    }
}

TEST(Layout, PrintConstants)
{
    const PatternLayout layout =
        ComputeLayout(kPrintLayout, kPrintPageSize, kPrintPageSize, 40, 400, 100, 100);
    EXPECT_EQ(layout.image.topLeft(), QPoint(160, 120));
    EXPECT_EQ(layout.bar.left(), layout.image.right() + 45);
    EXPECT_EQ(layout.bar.width(), 90);
    EXPECT_EQ(layout.bar.height(), 384);
}

namespace {

ImagePlacement Placement(int orientation, const CellWindow& window, int cell)
{
    return {QRect(37, 20, window.Columns() * cell, window.Rows() * cell), cell, window,
            orientation};
}

} // namespace

TEST(Placement, HitTestIsTheExactInverseInEveryOrientation)
{
    const CellWindow window{2, 8, 1, 5}; // 7 x 5 visible of a larger odd grid
    for (int orientation = 0; orientation < 4; ++orientation) {
        const ImagePlacement placement = Placement(orientation, window, 3);
        QRect covered;
        for (int row = window.firstRow; row <= window.lastRow; ++row)
            for (int col = window.firstCol; col <= window.lastCol; ++col) {
                const QRect cell = CellRect(placement, col, row);
                covered = covered.united(cell);
                for (int y = cell.top(); y <= cell.bottom(); ++y)
                    for (int x = cell.left(); x <= cell.right(); ++x) {
                        int c = -1;
                        int r = -1;
                        ASSERT_TRUE(HitTestGrid(placement, x, y, c, r));
                        ASSERT_EQ(c, col) << orientation;
                        ASSERT_EQ(r, row) << orientation;
                    }
            }
        EXPECT_EQ(covered, placement.image) << orientation;
    }
}

TEST(Placement, OrientationsPutTheCornersWhereTheirLabelsSay)
{
    const CellWindow window{0, 4, 0, 2};
    int col = -1;
    int row = -1;
    const int expected[4][2] = {{0, 0}, {4, 0}, {4, 2}, {0, 2}};
    for (int orientation = 0; orientation < 4; ++orientation) {
        ASSERT_TRUE(HitTestGrid(Placement(orientation, window, 4), 37, 20, col, row));
        EXPECT_EQ(col, expected[orientation][0]) << orientation;
        EXPECT_EQ(row, expected[orientation][1]) << orientation;
    }
    // Any other value draws as "+X,+Y".
    EXPECT_EQ(CellRect(Placement(9, window, 4), 0, 0).topLeft(), QPoint(37, 20));
    EXPECT_EQ(CellRect(Placement(-1, window, 4), 4, 2).topLeft(), QPoint(37 + 16, 28));
}

TEST(Placement, FrameAndOutsideAreOffTheImage)
{
    const ImagePlacement placement = Placement(0, CellWindow{0, 4, 0, 2}, 4);
    int col = 7;
    int row = 7;
    EXPECT_FALSE(HitTestGrid(placement, 36, 20, col, row));
    EXPECT_FALSE(HitTestGrid(placement, 37, 19, col, row));
    EXPECT_FALSE(HitTestGrid(placement, 57, 20, col, row));
    EXPECT_FALSE(HitTestGrid(placement, 37, 32, col, row));
    EXPECT_TRUE(HitTestGrid(placement, 56, 31, col, row));
    EXPECT_EQ(col, 4);
    EXPECT_EQ(row, 2);
    EXPECT_FALSE(HitTestGrid(Placement(0, CellWindow{}, 4), 37, 20, col, row));
}

TEST(Placement, ColourScaleOffsetsAlsoOutside)
{
    const QRect bar(100, 20, 30, 128);
    int sx = 0;
    int sy = 0;
    EXPECT_TRUE(HitTestColourScale(bar, 100, 147, sx, sy));
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 0);
    EXPECT_TRUE(HitTestColourScale(bar, 129, 20, sx, sy));
    EXPECT_EQ(sy, 127);
    EXPECT_FALSE(HitTestColourScale(bar, 90, 0, sx, sy));
    EXPECT_EQ(sx, -10);
    EXPECT_EQ(sy, 147);
    EXPECT_FALSE(HitTestColourScale(bar, 130, 100, sx, sy));
}

TEST(Zoom, WindowsOfTheWorkedExamples)
{
    auto range = [](int n, int level, int centre) {
        const VisibleRange r = ZoomRange(n, level, centre);
        return std::make_pair(r.first, r.last);
    };
    EXPECT_EQ(range(100, 1, 40), std::make_pair(0, 99));
    EXPECT_EQ(range(100, 2, -1), std::make_pair(6, 92));
    EXPECT_EQ(range(100, 5, 90), std::make_pair(50, 99));
    EXPECT_EQ(range(60, 5, 10), std::make_pair(0, 29));
    EXPECT_EQ(range(100, 8, 0).first, 0);
    EXPECT_EQ(range(100, 8, 99).second, 99);
    EXPECT_EQ(range(8, 2, -1).second - range(8, 2, -1).first + 1, 7);
    for (int level = 4; level <= 8; ++level)
        EXPECT_EQ(range(8, level, 3).second - range(8, level, 3).first + 1, 5) << level;
}

TEST(Zoom, SmallGridsStayInsideAtEveryLevelAndCentre)
{
    for (int n = 1; n <= 6; ++n)
        for (int level = 1; level <= 8; ++level)
            for (int centre = -1; centre <= n; ++centre) {
                const VisibleRange r = ZoomRange(n, level, centre);
                EXPECT_GE(r.first, 0);
                EXPECT_LE(r.last, n - 1);
                EXPECT_EQ(r.last - r.first + 1, std::min(n, level == 1 ? n : 5))
                    << n << " " << level << " " << centre;
            }
}

struct WindowFixture : ViewFixtureBase, ::testing::Test
{};

TEST_F(WindowFixture, VisibleWindowIsHeldInsideTheGrid)
{
    MakeDoc(3, 2);
    doc->m_nFirstCol = -4;
    doc->m_nLastCol = 9;
    doc->m_nFirstRow = 5;
    doc->m_nLastRow = 1;
    const CellWindow w = VisibleWindowOf(*doc);
    EXPECT_EQ(w, (CellWindow{0, 2, 1, 1}));
    CVespiraDoc empty(state);
    EXPECT_TRUE(VisibleWindowOf(empty).IsEmpty());
}
