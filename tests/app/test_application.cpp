#include "app/CMainFrame.h"
#include "app/CSplashWnd.h"
#include "app/CVespiraApp.h"
#include "document/CVespiraDoc.h"

#include <QFile>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// Start-up and a normal exit in process: the command-line file opens without becoming
// the active document, the settings and the recent files written at exit are those the
// next start reads.
TEST(VespiraApp, StartExitAndRestart)
{
    QTemporaryDir dir;
    const QString settings = dir.path() + QStringLiteral("/ORMA Radiography.conf");
    CommandLineInfo commandLine;
    commandLine.splash = false;
    commandLine.fileName = QByteArray(VESPIRA_EXAMPLES "/small.rad");
    {
        CVespiraApp app(settings);
        app.SetSingleInstanceCheck(false);
        ASSERT_EQ(app.InitInstance(commandLine), CVespiraApp::StartResult::Run);
        CMainFrame* frame = app.MainFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(app.RemoteHost(), static_cast<IRemoteHost*>(frame));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
        ASSERT_EQ(app.DocManager().Documents().size(), 1u);
        EXPECT_EQ(app.Services().liveScan.Document(), nullptr);
        EXPECT_EQ(frame->StatusText(), QStringLiteral("X: ?  Y: ?  Int: ?  Time: ?"));

        // The instrument's New: a document that is active with its view at once.
        CVespiraDoc* made = app.RemoteHost()->NewDocument();
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(app.Services().liveScan.Document(), made);
        EXPECT_NE(app.Services().liveScan.View(), nullptr);
        made->SetModifiedFlag(false); // no save question at exit

        app.State().tools.tool = CursorTool::Curve;
        app.State().view.orientation = 2;
        frame->close();
        ASSERT_TRUE(frame->IsClosed());
        app.ExitInstance();
    }
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("CursorType=3"));
    EXPECT_TRUE(text.contains("small.rad"));
    {
        CVespiraApp app(settings);
        app.SetSingleInstanceCheck(false);
        CommandLineInfo plain;
        plain.splash = false;
        ASSERT_EQ(app.InitInstance(plain), CVespiraApp::StartResult::Run);
        EXPECT_EQ(app.State().tools.tool, CursorTool::Curve);
        EXPECT_EQ(app.State().view.orientation, 2);
        ASSERT_EQ(app.DocManager().RecentFiles().size(), 1);
        EXPECT_TRUE(app.DocManager().RecentFiles()[0].endsWith("small.rad"));
        EXPECT_TRUE(app.DocManager().Documents().empty());
        app.MainFrame()->close();
    }
    CSplashWnd::EnableSplashScreen(false);
}

// No settings yet, then the settings the first run stored: both runs show the same
// colours, the built-in table as it is.
TEST(VespiraApp, FirstAndSecondRunShowTheSameColours)
{
    QTemporaryDir dir;
    const QString settings = dir.path() + QStringLiteral("/ORMA Radiography.conf");
    CommandLineInfo plain;
    plain.splash = false;
    ColourTable shown[2];
    for (ColourTable& colours : shown) {
        CVespiraApp app(settings);
        app.SetSingleInstanceCheck(false);
        ASSERT_EQ(app.InitInstance(plain), CVespiraApp::StartResult::Run);
        colours = app.State().colours.display.displayColors;
        app.MainFrame()->close();
        ASSERT_TRUE(app.MainFrame()->IsClosed());
        app.ExitInstance();
    }
    EXPECT_EQ(shown[0], BuiltInColourTable());
    EXPECT_EQ(shown[1], shown[0]);
}

// "/p FILE": no window, no box, no settings written; without a default printer (as on
// the test machines) it fails, and so does a file that cannot be read.
TEST(VespiraApp, PrintRunShowsNothingAndEndsWithItsResult)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a default printer would really print";
    QTemporaryDir dir;
    const QString settings = dir.path() + QStringLiteral("/ORMA Radiography.conf");
    CommandLineInfo commandLine;
    commandLine.print = true;
    for (const char* file : {"/missing.rad", "/small.rad", ""}) {
        commandLine.fileName =
            *file != '\0' ? QByteArray(VESPIRA_EXAMPLES) + QByteArray(file) : QByteArray();
        CVespiraApp app(settings);
        EXPECT_EQ(app.InitInstance(commandLine), CVespiraApp::StartResult::Failed) << file;
        EXPECT_TRUE(app.MainFrame() == nullptr || !app.MainFrame()->isVisible()) << file;
        EXPECT_EQ(app.SingleInstance(), nullptr);
    }
    EXPECT_FALSE(QFile::exists(settings));
    CSplashWnd::EnableSplashScreen(false);
}
