#include "app/CSettings.h"
#include "app/CommandIds.h"
#include "document/CVespiraDoc.h"
#include "plot3d/C3DPlotDlg.h"
#include "plot3d/Plot3DCommand.h"
#include "tests/app/ShellFixture.h"
#include "tests/common/CRecordingChart.h"

#include <QAction>
#include <QFile>
#include <QPushButton>

namespace {

// The command on a display without OpenGL: a clear message, no window, no crash.
TEST_F(ShellTest, Plot3DWithoutOpenGLSaysWhyAndOpensNothing)
{
    QAction* plot = frame->Action(ID_PLOT_3D);
    ASSERT_NE(plot, nullptr);
    frame->UpdateCommandUi();
    EXPECT_FALSE(plot->isEnabled());

    ASSERT_NE(frame->NewDocument(), nullptr);
    Settle();
    frame->UpdateCommandUi();
    ASSERT_TRUE(plot->isEnabled());
    plot->trigger();
    Settle();
    EXPECT_EQ(ui.messages, QStringList{QString::fromLatin1(kNoOpenGLMessage)});
    EXPECT_EQ(ui.dialogCount, 0);
    EXPECT_FALSE(state.plot3d.present);
}

// OK's view is written at exit and comes back into the next run's first plot.
TEST_F(ShellTest, Plot3DViewKeptWithOkSurvivesARestart)
{
    CVespiraDoc* doc = frame->NewDocument();
    ASSERT_NE(doc, nullptr);
    {
        CRecordingChart chart;
        C3DPlotDlg dialog(*doc, state.plot3d, chart);
        chart.Turn(140.0, 35.5, 0.0, -120.25, 20);
        dialog.OkButton()->click();
    }
    const QString path = TempPath(QStringLiteral("ORMA Radiography.conf"));
    ASSERT_TRUE(CSettings(path).Write(state));

    CFakeHostUi nextUi;
    CTestProgram next(nextUi);
    CVespiraApp::SetStartupValues(next);
    CSettings(path).Read(next);
    CVespiraDoc nextDoc(next);
    ASSERT_TRUE(nextDoc.SetUpGrid(ScanGrid{}));
    CRecordingChart chart;
    C3DPlotDlg dialog(nextDoc, next.plot3d, chart);
    EXPECT_EQ(chart.CallsStartingWith("SetViewValue"),
              (std::vector<std::string>{
                  "SetViewValue(Perspective, 140)", "SetViewValue(XRotation, 35.5)",
                  "SetViewValue(YRotation, 0)", "SetViewValue(ZRotation, -120.25)"}));
    EXPECT_EQ(chart.CallsStartingWith("SetContourLevels"),
              std::vector<std::string>{"SetContourLevels(20)"});
}

// The 3D window's size, kept whichever way it was closed, comes back after a restart; no
// size is written before the window was ever closed.
TEST_F(ShellTest, Plot3DWindowSizeSurvivesARestart)
{
    const QString path = TempPath(QStringLiteral("ORMA Radiography.conf"));
    ASSERT_TRUE(CSettings(path).Write(state));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(file.readAll().contains("Plot3DWidth"));
    }
    CVespiraDoc* doc = frame->NewDocument();
    ASSERT_NE(doc, nullptr);
    {
        CRecordingChart chart(true);
        C3DPlotDlg dialog(*doc, state.plot3d, chart);
        dialog.resize(720, 480);
        dialog.CancelButton()->click();
    }
    ASSERT_TRUE(CSettings(path).Write(state));

    CFakeHostUi nextUi;
    CTestProgram next(nextUi);
    CVespiraApp::SetStartupValues(next);
    CSettings(path).Read(next);
    EXPECT_EQ(next.plot3d.windowWidth, 720);
    EXPECT_EQ(next.plot3d.windowHeight, 480);
    EXPECT_FALSE(next.plot3d.present);
}

} // namespace
