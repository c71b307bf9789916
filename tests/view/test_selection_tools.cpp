#include "document/CTargetHistory.h"
#include "render/LineRule.h"
#include "tests/common/CRecordingView.h"
#include "tests/common/ViewTestSupport.h"
#include "view/SelectionTools.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

PointerSpot Grid(int col, int row)
{
    PointerSpot spot;
    spot.onGrid = true;
    spot.point = {col, row};
    return spot;
}

PointerSpot Scale(int sx, int sy, bool inside = true)
{
    PointerSpot spot;
    spot.onScale = inside;
    spot.sx = sx;
    spot.sy = sy;
    return spot;
}

const PointerSpot kNowhere;

struct ToolsFixture : ViewFixtureBase, ::testing::Test
{
    std::unique_ptr<CRecordingView> view;
    std::unique_ptr<CSelectionTools> tools;

    void SetUp() override { Make(8, 8); }
    void Make(int nx, int ny)
    {
        MakeDoc(nx, ny);
        view = std::make_unique<CRecordingView>(doc.get());
        tools = std::make_unique<CSelectionTools>(*doc, state, *view);
        Unstamp();
    }
    float Time(int col, int row) const
    {
        return doc->m_pScanTime[static_cast<std::size_t>(doc->IndexOf(col, row))];
    }
    // A stamp the tools would overwrite with the current UTC date.
    void Unstamp()
    {
        std::strcpy(doc->m_szModifiedDate, "old");
        doc->SetModifiedFlag(false);
    }
    bool Stamped() const { return std::strcmp(doc->m_szModifiedDate, "old") != 0; }
    std::set<std::pair<int, int>> Targets() const
    {
        std::set<std::pair<int, int>> targets;
        for (int row = 0; row < doc->m_nYPoints; ++row)
            for (int col = 0; col < doc->m_nXPoints; ++col)
                if (Time(col, row) != 0.0f)
                    targets.insert({col, row});
        return targets;
    }
    void Drag(CursorTool tool, std::initializer_list<PointerSpot> spots, const PointerSpot& release)
    {
        state.tools.tool = tool;
        auto it = spots.begin();
        tools->LeftPress(*it);
        for (++it; it != spots.end(); ++it)
            tools->PointerMove(*it);
        tools->LeftRelease(release);
    }
};

} // namespace

TEST_F(ToolsFixture, ArrowSelectsOnceAndKeepsAnExistingTime)
{
    Drag(CursorTool::Arrow, {Grid(2, 3)}, Grid(2, 3));
    EXPECT_EQ(Time(2, 3), 900.0f);
    EXPECT_TRUE(Stamped());
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(view->calls, (std::vector<std::string>{"Target 2,3"}));
    EXPECT_EQ(view->statistics, 1);
    EXPECT_EQ(state.tools.dragMode, DragMode::None);

    // A target keeps its time; the press still marks the pattern modified, without a stamp.
    SetTime(4, 4, 30.0f);
    Unstamp();
    Drag(CursorTool::Arrow, {Grid(4, 4), Grid(5, 5)}, Grid(5, 5));
    EXPECT_EQ(Time(4, 4), 30.0f);
    EXPECT_EQ(Time(5, 5), 0.0f);
    EXPECT_FALSE(Stamped());
    EXPECT_TRUE(doc->IsModified());

    // The double-click after it re-times the target, without a stamp or a cell drawn.
    state.tools.defaultScanTime = 12.5f;
    view->calls.clear();
    tools->Retime(Grid(4, 4));
    EXPECT_EQ(Time(4, 4), 12.5f);
    EXPECT_FALSE(Stamped());
    EXPECT_TRUE(view->calls.empty());
    EXPECT_EQ(doc->TotalScanTime(), 900.0 + 12.5);
    // The Eraser's double-click changes nothing.
    state.tools.tool = CursorTool::Eraser;
    tools->Retime(Grid(2, 3));
    EXPECT_EQ(Time(2, 3), 900.0f);
}

TEST_F(ToolsFixture, EraserRemovesTargetsAndStampsOnlyWhenOneWentAway)
{
    Drag(CursorTool::Eraser, {Grid(1, 1), Grid(2, 1)}, Grid(3, 1));
    EXPECT_FALSE(Stamped());
    EXPECT_TRUE(view->calls.empty());
    EXPECT_EQ(view->statistics, 0);
    EXPECT_TRUE(doc->IsModified()); // every press on the grid marks it

    SetTime(1, 1, 900.0f);
    SetTime(2, 1, 900.0f);
    SetTime(3, 1, 900.0f);
    SetTime(5, 5, 900.0f);
    Unstamp();
    Drag(CursorTool::Eraser, {Grid(1, 1), Grid(2, 1), kNowhere}, Grid(3, 1));
    EXPECT_EQ(Targets(), (std::set<std::pair<int, int>>{{5, 5}}));
    EXPECT_EQ(view->calls, (std::vector<std::string>{"Cell 1,1", "Cell 2,1", "Cell 3,1"}));
    EXPECT_EQ(view->statistics, 3);
    EXPECT_TRUE(Stamped());
    EXPECT_EQ(doc->ScanCount(), 1);
}

TEST_F(ToolsFixture, CurveTakesOnlyThePointsUnderTheReportedPositions)
{
    Drag(CursorTool::Curve, {Grid(0, 0), Grid(3, 0), kNowhere, Grid(3, 4)}, Grid(6, 4));
    EXPECT_EQ(Targets(), (std::set<std::pair<int, int>>{{0, 0}, {3, 0}, {3, 4}, {6, 4}}));
    EXPECT_EQ(view->statistics, 4);
    for (const std::string& call : view->calls)
        EXPECT_EQ(call.rfind("Target", 0), 0u) << call;
    // Moves without a gesture select nothing.
    tools->PointerMove(Grid(7, 7));
    EXPECT_EQ(Time(7, 7), 0.0f);
}

TEST_F(ToolsFixture, LineFollowsThePointerAndCommitsTheLineRule)
{
    SetTime(1, 0, 30.0f); // on the line: takes the default time at the release
    Drag(CursorTool::Line, {Grid(0, 0), Grid(7, 7), Grid(5, 2), kNowhere}, Grid(5, 2));
    std::set<std::pair<int, int>> expected;
    ForEachLinePoint({0, 0}, {5, 2}, [&](int c, int r) { expected.insert({c, r}); });
    EXPECT_EQ(Targets(), expected);
    EXPECT_EQ(Time(1, 0), 900.0f);
    EXPECT_EQ(doc->ScanCount(), 6);
    EXPECT_TRUE(Stamped());
    // Press (one cell), two moves over the grid and the release each ask for a repaint.
    EXPECT_EQ(std::count(view->calls.begin(), view->calls.end(), "Repaint"), 3);
}

TEST_F(ToolsFixture, LineOrRectangleReleasedOffTheImageUsesTheLastGridPoint)
{
    Drag(CursorTool::Rectangle, {Grid(1, 1), Grid(3, 2), kNowhere}, kNowhere);
    EXPECT_EQ(doc->ScanCount(), 6);
    EXPECT_TRUE(Stamped());
    EXPECT_EQ(state.tools.dragMode, DragMode::None);

    Make(8, 8);
    Drag(CursorTool::Line, {Grid(4, 4), kNowhere}, kNowhere);
    EXPECT_EQ(Targets(), (std::set<std::pair<int, int>>{{4, 4}}));

    // Press and release on one point select exactly that point.
    Make(8, 8);
    Drag(CursorTool::Rectangle, {Grid(6, 2)}, Grid(6, 2));
    EXPECT_EQ(Targets(), (std::set<std::pair<int, int>>{{6, 2}}));
}

TEST_F(ToolsFixture, RectangleRetimesEveryTargetInsideAndThePreviewCountsIt)
{
    SetTime(2, 2, 30.0f);
    SetTime(7, 7, 30.0f);
    state.tools.tool = CursorTool::Rectangle;
    tools->LeftPress(Grid(3, 3));
    tools->PointerMove(Grid(1, 1));
    const SelectionStatistics preview = ComputeSelectionStatistics(*doc, state.tools);
    EXPECT_EQ(preview.count, 10);
    EXPECT_EQ(preview.totalSeconds, 9 * 900.0 + 30.0);
    tools->LeftRelease(Grid(1, 1));
    EXPECT_EQ(doc->ScanCount(), preview.count);
    EXPECT_EQ(doc->TotalScanTime(), preview.totalSeconds);
    EXPECT_EQ(Time(2, 2), 900.0f);
    EXPECT_EQ(Time(7, 7), 30.0f);
}

TEST_F(ToolsFixture, ToolChangeDuringAGestureActsAtTheRelease)
{
    state.tools.tool = CursorTool::Arrow;
    tools->LeftPress(Grid(0, 0));
    state.tools.tool = CursorTool::Line; // dragCurrent is still the press point
    tools->PointerMove(Grid(3, 0));
    tools->LeftRelease(Grid(3, 0));
    EXPECT_EQ(doc->ScanCount(), 4);
}

TEST_F(ToolsFixture, FirstPressWithTheOverlayHiddenShowsIt)
{
    state.view.overlay = false;
    state.tools.tool =
        static_cast<CursorTool>(9); // no tool: nothing selected, the overlay still shown
    tools->LeftPress(Grid(2, 2));
    EXPECT_TRUE(state.view.overlay);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"Repaint"}));
    EXPECT_EQ(state.tools.dragMode, DragMode::Selecting);
    tools->LeftRelease(Grid(2, 2));
    EXPECT_EQ(doc->ScanCount(), 0);
    // A press elsewhere changes nothing.
    state.view.overlay = false;
    tools->LeftPress(kNowhere);
    EXPECT_FALSE(state.view.overlay);
    EXPECT_EQ(state.tools.dragMode, DragMode::None);
}

TEST_F(ToolsFixture, ScaleDragClampsAndMovesBackAtOnce)
{
    doc->m_nBrightness = 250;
    doc->m_nContrast = 3;
    tools->LeftPress(Scale(10, 50));
    EXPECT_EQ(state.tools.dragMode, DragMode::ScaleAdjust);
    EXPECT_EQ(ui.statusText, QStringLiteral("Brightness: 250  Contrast: 3"));

    tools->PointerMove(Scale(5, 400, false)); // far above the scale, to the left
    EXPECT_EQ(doc->m_nBrightness, 255);
    EXPECT_EQ(doc->m_nContrast, 0);
    EXPECT_EQ(state.colours.display.nBrightness, 255);
    EXPECT_EQ(state.colours.display.nContrast, 0);
    EXPECT_EQ(ui.statusText, QStringLiteral("Brightness: 255  Contrast: 0"));
    EXPECT_EQ(view->scales, 1);
    // The tools ask only for the scale until the release; the view recolours the image
    // with it at each step (tested on the widget).
    EXPECT_TRUE(view->calls.empty());

    // Even higher: nothing changes and the anchor stays at 400.
    tools->PointerMove(Scale(5, 600, false));
    EXPECT_EQ(view->scales, 1);
    // One pixel below the last change lowers the brightness at once.
    tools->PointerMove(Scale(5, 399, false));
    EXPECT_EQ(doc->m_nBrightness, 254);
    EXPECT_EQ(state.colours.display.displayColors, doc->m_DisplayColors);

    tools->LeftRelease(Scale(6, 389));
    EXPECT_EQ(doc->m_nBrightness, 244);
    EXPECT_EQ(doc->m_nContrast, 1);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"Repaint"}));
    EXPECT_EQ(state.tools.dragMode, DragMode::None);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(ToolsFixture, LostGestureEndsAsAReleaseAtTheLastGridPoint)
{
    state.tools.tool = CursorTool::Line;
    tools->LeftPress(Grid(0, 2));
    tools->PointerMove(Grid(4, 2));
    tools->EndLostGesture();
    EXPECT_EQ(doc->ScanCount(), 5);
    EXPECT_EQ(state.tools.dragMode, DragMode::None);

    doc->m_nBrightness = 10;
    tools->LeftPress(Scale(0, 0));
    tools->PointerMove(Scale(0, 20));
    tools->EndLostGesture();
    EXPECT_EQ(doc->m_nBrightness, 30);
    EXPECT_EQ(state.tools.dragMode, DragMode::None);
}

TEST_F(ToolsFixture, ClosedDocumentIsNeverWritten)
{
    state.tools.tool = CursorTool::Rectangle;
    tools->LeftPress(Grid(0, 0));
    doc->OnCloseDocument();
    tools->PointerMove(Grid(3, 3));
    tools->LeftRelease(Grid(3, 3));
    tools->Retime(Grid(1, 1));
    tools->LeftPress(Grid(1, 1));
    EXPECT_EQ(state.tools.dragMode, DragMode::None);
    EXPECT_TRUE(doc->m_pScanTime.empty());
}

TEST_F(ToolsFixture, EachGestureIsOneNamedStepOfTheHistory)
{
    const CTargetHistory& history = doc->History();
    Drag(CursorTool::Rectangle, {Grid(1, 1), Grid(2, 2)}, Grid(3, 2));
    EXPECT_EQ(history.UndoName(), QStringLiteral("Rectangle"));
    EXPECT_EQ(doc->ScanCount(), 6);

    Drag(CursorTool::Curve, {Grid(5, 0), Grid(5, 1), Grid(6, 1)}, Grid(6, 2));
    EXPECT_EQ(history.UndoName(), QStringLiteral("Curve"));
    EXPECT_EQ(doc->ScanCount(), 10);
    doc->Undo();
    EXPECT_EQ(doc->ScanCount(), 6) << "one Undo takes the whole stroke back";

    Drag(CursorTool::Eraser, {Grid(1, 1), Grid(2, 1)}, Grid(3, 1));
    EXPECT_EQ(history.UndoName(), QStringLiteral("Eraser"));
    EXPECT_EQ(doc->ScanCount(), 3);
    Drag(CursorTool::Line, {Grid(0, 5)}, Grid(2, 5));
    EXPECT_EQ(history.UndoName(), QStringLiteral("Line"));
    Drag(CursorTool::Arrow, {Grid(7, 7)}, Grid(7, 7));
    EXPECT_EQ(history.UndoName(), QStringLiteral("Point"));
    state.tools.defaultScanTime = 12.5f;
    tools->Retime(Grid(7, 7));
    EXPECT_EQ(history.UndoName(), QStringLiteral("Scan Time"));
    doc->Undo();
    EXPECT_EQ(Time(7, 7), 900.0f);

    // A press that changes nothing leaves no step, and Undo still finds the saved state.
    doc->SetModifiedFlag(false);
    const std::size_t steps = history.StepCount();
    Drag(CursorTool::Arrow, {Grid(7, 7)}, Grid(7, 7));
    EXPECT_EQ(history.StepCount(), steps);
    EXPECT_TRUE(doc->IsModified()); // every press on the grid marks it
    Drag(CursorTool::Arrow, {Grid(0, 0)}, Grid(0, 0));
    doc->Undo();
    EXPECT_FALSE(doc->IsModified());

    // A gesture whose release never comes is a step when it ends.
    state.tools.tool = CursorTool::Curve;
    tools->LeftPress(Grid(4, 4));
    tools->PointerMove(Grid(4, 5));
    tools->EndLostGesture();
    EXPECT_EQ(history.UndoName(), QStringLiteral("Curve"));
    doc->Undo();
    EXPECT_EQ(Time(4, 4), 0.0f);
    EXPECT_EQ(Time(4, 5), 0.0f);
}
