#include "display/ColourTransform.h"
#include "document/CVespiraDoc.h"
#include "document/PatternRange.h"
#include "plot3d/C3DPlotDlg.h"
#include "plot3d/Chart3DLoad.h"
#include "plot3d/Plot3DColourRange.h"
#include "plot3d/Plot3DLayout.h"
#include "plot3d/Plot3DSettings.h"
#include "plot3d/Plot3DWindowSize.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/CRecordingChart.h"
#include "tests/common/TestProgram.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using Calls = std::vector<std::string>;

class Plot3DDialogTest : public ::testing::Test
{
protected:
    // A pattern of the given grid with intensities 10, 20, 30, ... in array order, and a
    // colour table whose every entry differs.
    void MakePattern(const ScanGrid& grid)
    {
        ASSERT_TRUE(doc.SetUpGrid(grid));
        for (std::size_t j = 0; j < doc.m_pIntensity.size(); ++j)
            doc.m_pIntensity[j] = static_cast<int>(10 * (j + 1));
        for (int i = 0; i < 256; ++i)
            doc.m_DisplayColors[static_cast<std::size_t>(i)] = Rgb(i, 255 - i, i / 2);
    }

    CFakeHostUi ui;
    CTestProgram state{ui};
    CVespiraDoc doc{state};
};

TEST_F(Plot3DDialogTest, ThreeByTwoPatternGivesTheWholeSequenceBottomRowFirst)
{
    MakePattern(ScanGrid{3, 2, -1.0f, 1.0f, 1.0f, 2.0f, 2.5f, 0.5f});
    std::strcpy(doc.m_szFileName, "sample.rad");
    CRecordingChart chart;
    C3DPlotDlg dialog(doc, state.plot3d, chart);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("sample.rad"));
    ASSERT_EQ(chart.calls.size(), 3u + 101u + 1u + 9u + 6u + 1u);
    EXPECT_EQ(Calls(chart.calls.begin(), chart.calls.begin() + 3),
              (Calls{"SetAxisTitle(X, \"X-axis  d = 1 [mm]\")",
                     "SetAxisTitle(Y, \"Y-axis  d = 0.5 [mm]\")", "SetAxisTitle(Z, \"\")"}));
    EXPECT_EQ(chart.CallsStartingWith("SetFillColour").size(), 101u);
    EXPECT_EQ(Calls(chart.calls.begin() + 104, chart.calls.end()),
              (Calls{"SetColourRange(0, 63)", "SetBatching(true)", "SetColumnCount(3)",
                     "SetRowCount(2)", "SetFirstX(-1)", "SetFirstY(2)", "SetHoleValue(-1)",
                     "SetGridMode(1)", "SetXStep(1)", "SetYStep(0.5)",
                     // Array row 0 is the top row: chart row 2.
                     "SetValue(1, 2, 10)", "SetValue(2, 2, 20)", "SetValue(3, 2, 30)",
                     "SetValue(1, 1, 40)", "SetValue(2, 1, 50)", "SetValue(3, 1, 60)",
                     "SetBatching(false)"}));
}

TEST_F(Plot3DDialogTest, AxisTitlesTakeTheDecimalsOfTheirIncrement)
{
    EXPECT_EQ(AxisTitle("X-axis", 0.5f), "X-axis  d = 0.5 [mm]");
    EXPECT_EQ(AxisTitle("Y-axis", 0.25f), "Y-axis  d = 0.25 [mm]");
    EXPECT_EQ(AxisTitle("X-axis", 1.0f), "X-axis  d = 1 [mm]");
    EXPECT_EQ(AxisTitle("Y-axis", 0.001f), "Y-axis  d = 0.001 [mm]");
}

TEST_F(Plot3DDialogTest, FillStylesTakeEveryHundredthOfTheColourTable)
{
    MakePattern(ScanGrid{2, 2, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f});
    CRecordingChart chart;
    C3DPlotDlg dialog(doc, state.plot3d, chart);
    const Calls fills = chart.CallsStartingWith("SetFillColour");
    ASSERT_EQ(fills.size(), 101u);
    const auto fill = [&](int style, int entry) {
        return "SetFillColour(" + std::to_string(style) + ", " +
               std::to_string(doc.m_DisplayColors[static_cast<std::size_t>(entry)]) + ")";
    };
    EXPECT_EQ(fills[0], fill(0, 0));
    EXPECT_EQ(fills[1], fill(1, 2));
    EXPECT_EQ(fills[3], fill(3, 7));
    EXPECT_EQ(fills[50], fill(50, 127));
    EXPECT_EQ(fills[99], fill(99, 252));
    EXPECT_EQ(fills[100], fill(100, 255));
}

TEST_F(Plot3DDialogTest, StoredViewIsAppliedOnlyWhileItsFlagIsOn)
{
    MakePattern(ScanGrid{2, 2, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f});
    state.plot3d = {false, 20, 110.0, 30.0, 5.0, -60.0};
    {
        // Before any OK and without stored settings: the chart's own view and levels.
        CRecordingChart chart;
        C3DPlotDlg dialog(doc, state.plot3d, chart);
        EXPECT_TRUE(chart.CallsStartingWith("SetViewValue").empty());
        EXPECT_TRUE(chart.CallsStartingWith("SetContourLevels").empty());
    }
    state.plot3d.present = true;
    CRecordingChart chart;
    C3DPlotDlg dialog(doc, state.plot3d, chart);
    EXPECT_EQ(Calls(chart.calls.begin() + 105, chart.calls.begin() + 111),
              (Calls{"SetViewValue(Perspective, 110)", "SetViewValue(XRotation, 30)",
                     "SetViewValue(YRotation, 5)", "SetViewValue(ZRotation, -60)",
                     "SetContourLevels(20)", "SetBatching(true)"}));
}

TEST_F(Plot3DDialogTest, OkKeepsTheTurnedViewCancelKeepsNothing)
{
    MakePattern(ScanGrid{2, 2, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f});
    const Plot3DSettings before = state.plot3d;
    {
        CRecordingChart chart;
        C3DPlotDlg dialog(doc, state.plot3d, chart);
        chart.Turn(150.0, 45.5, 0.0, 120.25, 50);
        dialog.CancelButton()->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_FALSE(state.plot3d.present);
    EXPECT_EQ(state.plot3d.contourLevels, before.contourLevels);
    EXPECT_EQ(state.plot3d.zRotation, before.zRotation);

    CRecordingChart chart;
    C3DPlotDlg dialog(doc, state.plot3d, chart);
    chart.Turn(150.0, 45.5, -3.0, 120.25, 50);
    dialog.OkButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(state.plot3d.present);
    EXPECT_EQ(state.plot3d.perspective, 150.0);
    EXPECT_EQ(state.plot3d.xRotation, 45.5);
    EXPECT_EQ(state.plot3d.yRotation, -3.0);
    EXPECT_EQ(state.plot3d.zRotation, 120.25);
    EXPECT_EQ(state.plot3d.contourLevels, 50);
}

TEST_F(Plot3DDialogTest, PrintAsksTheChartAndLeavesTheDialogOpen)
{
    MakePattern(ScanGrid{2, 2, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f});
    CRecordingChart chart(true);
    C3DPlotDlg dialog(doc, state.plot3d, chart);
    dialog.show();
    chart.calls.clear();
    dialog.PrintButton()->click();
    EXPECT_EQ(chart.calls, Calls{"Print()"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(state.plot3d.present);
}

// A single column or row has no second point to measure the step from: the grid's
// increment stands in, and without one 1 mm; never a division by zero.
TEST_F(Plot3DDialogTest, SingleColumnOrRowTakesTheIncrementAsItsStep)
{
    MakePattern(ScanGrid{1, 4, 2.0f, 2.0f, 0.25f, 0.0f, 3.0f, 1.0f});
    {
        CRecordingChart chart;
        C3DPlotDlg dialog(doc, state.plot3d, chart);
        EXPECT_EQ(chart.CallsStartingWith("SetXStep"), Calls{"SetXStep(0.25)"});
        EXPECT_EQ(chart.CallsStartingWith("SetYStep"), Calls{"SetYStep(1)"});
        EXPECT_EQ(chart.CallsStartingWith("SetValue").size(), 4u);
        EXPECT_EQ(chart.CallsStartingWith("SetValue").front(), "SetValue(1, 4, 10)");
    }
    MakePattern(ScanGrid{5, 1, 0.0f, 2.0f, 0.5f, 7.0f, 7.0f, 0.5f});
    doc.m_fYInc = 0.0f;
    CRecordingChart chart;
    C3DPlotDlg dialog(doc, state.plot3d, chart);
    EXPECT_EQ(chart.CallsStartingWith("SetXStep"), Calls{"SetXStep(0.5)"});
    EXPECT_EQ(chart.CallsStartingWith("SetYStep"), Calls{"SetYStep(1)"});
}

// Not 438 x 350 on any screen: two thirds of it, then the size the user left, whichever
// way the window was closed.
TEST_F(Plot3DDialogTest, OpensLargeAndRemembersTheLastSize)
{
    MakePattern(ScanGrid{2, 2, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f});
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    {
        CRecordingChart chart(true);
        C3DPlotDlg dialog(doc, state.plot3d, chart);
        dialog.show();
        EXPECT_EQ(dialog.size(), Plot3DWindowSize(Plot3DSettings{}, screen));
        EXPECT_GE(dialog.width(), screen.width() / 2);
        dialog.resize(640, 420);
        dialog.CancelButton()->click();
    }
    EXPECT_FALSE(state.plot3d.present);
    EXPECT_EQ(state.plot3d.windowWidth, 640);
    EXPECT_EQ(state.plot3d.windowHeight, 420);
    {
        CRecordingChart chart(true);
        C3DPlotDlg dialog(doc, state.plot3d, chart);
        dialog.show();
        EXPECT_EQ(dialog.size(), QSize(640, 420));
        dialog.resize(700, 500);
        dialog.OkButton()->click();
    }
    EXPECT_EQ(state.plot3d.windowWidth, 700);
    EXPECT_EQ(state.plot3d.windowHeight, 500);
    // A size kept on a larger screen is brought onto this one.
    state.plot3d.windowWidth = screen.width() + 500;
    state.plot3d.windowHeight = screen.height() + 500;
    CRecordingChart chart(true);
    C3DPlotDlg dialog(doc, state.plot3d, chart);
    EXPECT_EQ(dialog.size(), screen);
}

// The surface's colours span the 2D view's colour range, taken from the document.
TEST_F(Plot3DDialogTest, ChartGetsTheDocumentsColourRange)
{
    MakePattern(ScanGrid{2, 2, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f});
    doc.m_nMaxIntensity = 4095;
    CRecordingChart chart;
    C3DPlotDlg dialog(doc, state.plot3d, chart);
    EXPECT_EQ(chart.CallsStartingWith("SetColourRange"), Calls{"SetColourRange(0, 4095)"});

    // A fixed range on a log scale reaches the chart as the view draws it, and the colour
    // bands' edges lie where the view's colours change: a decade at each half of 1..10000.
    doc.m_range.settings.mode = RangeMode::Fixed;
    doc.m_range.settings.fixedMin = 1;
    doc.m_range.settings.fixedMax = 10000;
    doc.m_range.settings.scale = IntensityScale::Logarithmic;
    RefreshRange(doc);
    CRecordingChart logChart;
    C3DPlotDlg logDialog(doc, state.plot3d, logChart);
    EXPECT_EQ(logChart.CallsStartingWith("SetColourRange"), Calls{"SetColourRange(1, 10000, log)"});
    const Plot3DColourRange range = ChartColourRange(doc);
    EXPECT_NEAR(ValueAtShare(range, 0.5), 100.0, 1e-9);
    EXPECT_NEAR(ValueAtShare(range, 0.25), 10.0, 1e-9);
    EXPECT_EQ(RangeColourIndex(100, DrawnRangeOf(doc)), 127);
    EXPECT_NEAR(ValueAtShare({0.0, 100.0, IntensityScale::SquareRoot}, 0.5), 25.0, 1e-9);
}

TEST(Plot3DLayoutTest, ButtonsFollowTheWidthRule)
{
    using Box = Plot3DLayout::Box;
    struct Case
    {
        int cx;
        Box ok, cancel, print;
    };
    // Height 300: buttons at 264, chart 252 high.
    const Case cases[] = {
        // Below 312: a third of the width each, no gaps.
        {200, {1, 264, 66, 28}, {67, 264, 66, 28}, {133, 264, 66, 28}},
        {312, {0, 264, 104, 28}, {104, 264, 104, 28}, {208, 264, 104, 28}},
        {400, {27, 264, 104, 28}, {148, 264, 104, 28}, {269, 264, 104, 28}},
        {532, {66, 264, 104, 28}, {214, 264, 104, 28}, {362, 264, 104, 28}},
        {800, {200, 264, 104, 28}, {348, 264, 104, 28}, {496, 264, 104, 28}},
    };
    for (const Case& c : cases) {
        const Plot3DLayout layout = LayOutPlot3D(c.cx, 300);
        EXPECT_EQ(layout.chart, (Box{4, 4, c.cx - 8, 252})) << c.cx;
        EXPECT_EQ(layout.ok, c.ok) << c.cx;
        EXPECT_EQ(layout.cancel, c.cancel) << c.cx;
        EXPECT_EQ(layout.print, c.print) << c.cx;
    }
    // Too low for the chart: it gets no height rather than a negative one.
    EXPECT_EQ(LayOutPlot3D(100, 30).chart, (Box{4, 4, 92, 0}));
}

TEST_F(Plot3DDialogTest, ResizingPlacesChartAndButtons)
{
    MakePattern(ScanGrid{2, 2, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f});
    CRecordingChart chart(true);
    C3DPlotDlg dialog(doc, state.plot3d, chart);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (int cx : {250, 450, 700}) {
        dialog.resize(cx, 320);
        QApplication::processEvents();
        const Plot3DLayout layout = LayOutPlot3D(dialog.width(), dialog.height());
        const auto rect = [](const Plot3DLayout::Box& b) {
            return QRect(b.x, b.y, b.width, b.height);
        };
        EXPECT_EQ(chart.Widget()->geometry(), rect(layout.chart)) << cx;
        EXPECT_EQ(dialog.OkButton()->geometry(), rect(layout.ok)) << cx;
        EXPECT_EQ(dialog.CancelButton()->geometry(), rect(layout.cancel)) << cx;
        EXPECT_EQ(dialog.PrintButton()->geometry(), rect(layout.print)) << cx;
    }
}

} // namespace
