#include "app/CDocManager.h"
#include "app/CMainFrame.h"
#include "app/CSettings.h"
#include "app/CSplashWnd.h"
#include "app/CVespiraApp.h"
#include "app/ScreenPlacement.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/TestProgram.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    QString Path() const
    {
        return m_dir.path() + QStringLiteral("/Merovant/ORMA Radiography.conf");
    }
    void WriteFile(const QByteArray& text)
    {
        QDir().mkpath(m_dir.path() + QStringLiteral("/Merovant"));
        QFile f(Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.flush();
        // A new time for every write, so no cached copy of the file is taken for it.
        static int s_nWrites = 0;
        f.setFileTime(QDateTime::currentDateTime().addSecs(++s_nWrites),
                      QFileDevice::FileModificationTime);
    }
    QByteArray ReadFile() const
    {
        QFile f(Path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // One run of the program as far as the window goes: read the settings, show the main
    // window as they say, close it and write the settings.
    void RunOnce(WindowPlacement& placement, ShowState& shown)
    {
        CTestProgram state(m_ui);
        CVespiraApp::SetStartupValues(state);
        CSettings settings(Path());
        shown = settings.Read(state).showState;
        CDocManager docs(state.services, state.View(), m_ui);
        {
            CMainFrame frame(state, docs, m_ui);
            frame.ApplyPlacement(state.placement);
            frame.ShowWithState(shown);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
            QApplication::processEvents();
            frame.close();
            EXPECT_TRUE(frame.IsClosed());
        }
        ASSERT_TRUE(settings.Write(state));
        placement = state.placement;
    }

    QTemporaryDir m_dir;
    CFakeHostUi m_ui;
};

void ExpectStartupValues(const CTestProgram& s)
{
    EXPECT_EQ(s.colours.border, Rgb(128, 0, 0));
    EXPECT_EQ(s.colours.selection, Rgb(0, 255, 255));
    EXPECT_EQ(s.colours.activeTarget, Rgb(255, 0, 0));
    EXPECT_EQ(s.colours.display.nBrightness, 127);
    EXPECT_EQ(s.colours.display.nContrast, 127);
    EXPECT_STREQ(s.colours.display.szLutName, "default");
    EXPECT_EQ(s.tools.tool, CursorTool::Arrow);
    EXPECT_TRUE(s.view.overlay);
    EXPECT_FALSE(s.view.header);
    EXPECT_FALSE(s.placement.maximized);
    EXPECT_EQ(s.placement.left, -1);
    EXPECT_EQ(s.plot3d.contourLevels, 10);
    EXPECT_FALSE(s.plot3d.present);
    EXPECT_EQ(s.plot3d.zRotation, 0.0);
    EXPECT_EQ(s.view.orientation, 0);
    EXPECT_EQ(s.liveScan.PendingGrid().nXPoints, 51);
    EXPECT_EQ(s.liveScan.PendingGrid().nYPoints, 51);
}

} // namespace

TEST_F(SettingsTest, DefaultFileIsUnderXdgConfigHome)
{
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(home.isEmpty());
    EXPECT_EQ(CSettings::DefaultFilePath(),
              home + QStringLiteral("/Merovant/ORMA Radiography.conf"));
}

TEST_F(SettingsTest, FirstRunKeepsTheStartupValues)
{
    CTestProgram state(m_ui);
    CVespiraApp::SetStartupValues(state);
    const SettingsReadResult r = CSettings(Path()).Read(state);
    EXPECT_FALSE(r.keyOpened);
    EXPECT_FALSE(r.unreadable);
    EXPECT_EQ(r.showState, ShowState::Default);
    ExpectStartupValues(state);
    // Foreground and Background come from the desktop's text and window colours.
    const QColor base = QApplication::palette().color(QPalette::Base);
    EXPECT_EQ(state.colours.background, Rgb(base.red(), base.green(), base.blue()));
}

TEST_F(SettingsTest, FullRoundTrip)
{
    CTestProgram out(m_ui);
    out.colours.border = Rgb(1, 2, 3);
    out.colours.selection = Rgb(4, 5, 6);
    out.colours.activeTarget = Rgb(7, 8, 9);
    out.colours.foreground = Rgb(10, 11, 12);
    out.colours.background = Rgb(250, 251, 252);
    out.colours.display.nBrightness = -17;
    out.colours.display.nContrast = 23;
    std::strcpy(out.colours.display.szLutName, "rainbow");
    out.tools.tool = CursorTool::Eraser;
    out.view.overlay = false;
    out.view.header = true;
    out.placement = {true, 40, 30, 700, 500};
    out.plot3d = {true, 7, 0.25, 12.5, -30.0, 45.75};
    out.view.orientation = 3;
    ASSERT_TRUE(CSettings(Path()).Write(out));

    const QByteArray text = ReadFile();
    EXPECT_TRUE(text.contains("[Settings]"));
    EXPECT_TRUE(text.contains("Border=197121\n")) << text.constData(); // 0x030201
    EXPECT_TRUE(text.contains("Brightness=-17\n"));
    EXPECT_TRUE(text.contains("LUT%20filename=rainbow\n") ||
                text.contains("LUT filename=rainbow\n"));
    EXPECT_TRUE(text.contains("WndLeft=40\n"));
    EXPECT_TRUE(text.contains("ZRotation=45.75\n"));
    EXPECT_TRUE(text.contains("ContourLevels=7\n"));

    CTestProgram in(m_ui);
    CVespiraApp::SetStartupValues(in);
    const SettingsReadResult r = CSettings(Path()).Read(in);
    EXPECT_TRUE(r.keyOpened);
    EXPECT_EQ(r.showState, ShowState::Maximized);
    EXPECT_EQ(in.colours.border, out.colours.border);
    EXPECT_EQ(in.colours.selection, out.colours.selection);
    EXPECT_EQ(in.colours.activeTarget, out.colours.activeTarget);
    EXPECT_EQ(in.colours.foreground, out.colours.foreground);
    EXPECT_EQ(in.colours.background, out.colours.background);
    EXPECT_EQ(in.colours.display.nBrightness, -17);
    EXPECT_EQ(in.colours.display.nContrast, 23);
    EXPECT_STREQ(in.colours.display.szLutName, "rainbow");
    EXPECT_EQ(in.tools.tool, CursorTool::Eraser);
    EXPECT_FALSE(in.view.overlay);
    EXPECT_TRUE(in.view.header);
    EXPECT_TRUE(in.placement.maximized);
    EXPECT_EQ(in.placement.left, 40);
    EXPECT_EQ(in.placement.top, 30);
    EXPECT_EQ(in.placement.width, 700);
    EXPECT_EQ(in.placement.height, 500);
    EXPECT_TRUE(in.plot3d.present);
    EXPECT_EQ(in.plot3d.contourLevels, 7);
    EXPECT_DOUBLE_EQ(in.plot3d.perspective, 0.25);
    EXPECT_DOUBLE_EQ(in.plot3d.xRotation, 12.5);
    EXPECT_DOUBLE_EQ(in.plot3d.yRotation, -30.0);
    EXPECT_DOUBLE_EQ(in.plot3d.zRotation, 45.75);
    EXPECT_EQ(in.view.orientation, 3);
}

TEST_F(SettingsTest, RangeSettingsAndNotMeasuredColourRoundTrip)
{
    CTestProgram out(m_ui);
    out.colours.notMeasured = Rgb(20, 30, 40);
    out.colours.display.range = {RangeMode::Percentile, IntensityScale::Logarithmic, -5, 70000,
                                 2.5};
    ASSERT_TRUE(CSettings(Path()).Write(out));
    CTestProgram in(m_ui);
    CVespiraApp::SetStartupValues(in);
    CSettings(Path()).Read(in);
    EXPECT_EQ(in.colours.notMeasured, out.colours.notMeasured);
    EXPECT_EQ(in.colours.display.range, out.colours.display.range);
}

TEST_F(SettingsTest, BadRangeValuesFallBackToTheirDefaults)
{
    WriteFile("[Settings]\nRangeMode=7\nRangeScale=-1\nRangeFixedMin=50\nRangeFixedMax=50\n"
              "RangePercentile=nan\nNotMeasured=junk\nBorder=197121\n");
    CTestProgram in(m_ui);
    CVespiraApp::SetStartupValues(in);
    CSettings(Path()).Read(in);
    EXPECT_EQ(in.colours.display.range, RangeSettings{});
    EXPECT_EQ(in.colours.notMeasured, kNotMeasuredColour);
    EXPECT_EQ(in.colours.border, Rgb(1, 2, 3)) << "good values beside them are kept";

    WriteFile("[Settings]\nRangeMode=2\nRangePercentile=75\n");
    CTestProgram again(m_ui);
    CVespiraApp::SetStartupValues(again);
    CSettings(Path()).Read(again);
    EXPECT_EQ(again.colours.display.range.mode, RangeMode::Automatic);
    EXPECT_EQ(again.colours.display.range.percentile, 1.0);
}

TEST_F(SettingsTest, ThreeDValuesAreWrittenOnlyWhileTheFlagIsSet)
{
    CTestProgram out(m_ui);
    out.plot3d.present = false;
    out.plot3d.contourLevels = 4;
    ASSERT_TRUE(CSettings(Path()).Write(out));
    const QByteArray text = ReadFile();
    EXPECT_FALSE(text.contains("ZRotation"));
    EXPECT_FALSE(text.contains("Perspective"));
    EXPECT_FALSE(text.contains("ContourLevels"));
    EXPECT_TRUE(text.contains("ImageOrientation=0"));

    CTestProgram in(m_ui);
    CSettings(Path()).Read(in);
    EXPECT_FALSE(in.plot3d.present);
    EXPECT_EQ(in.plot3d.contourLevels, 10);
}

TEST_F(SettingsTest, ZRotationReadSetsTheFlagContourLevelsDoesNot)
{
    WriteFile("[Settings]\nContourLevels=5\nXRotation=2.5\n");
    CTestProgram a(m_ui);
    CSettings(Path()).Read(a);
    EXPECT_FALSE(a.plot3d.present);
    EXPECT_EQ(a.plot3d.contourLevels, 5);
    EXPECT_DOUBLE_EQ(a.plot3d.xRotation, 2.5);

    WriteFile("[Settings]\nZRotation=30.5\n");
    CTestProgram b(m_ui);
    CSettings(Path()).Read(b);
    EXPECT_TRUE(b.plot3d.present);
    EXPECT_DOUBLE_EQ(b.plot3d.zRotation, 30.5);

    // A value that does not read leaves the scratch value unused.
    WriteFile("[Settings]\nZRotation=abc\nContourLevels=x\nPerspective=\n");
    CTestProgram c(m_ui);
    CSettings(Path()).Read(c);
    EXPECT_FALSE(c.plot3d.present);
    EXPECT_EQ(c.plot3d.contourLevels, 10);
    EXPECT_EQ(c.plot3d.perspective, 0.0);

    // Once set, the flag writes the values back at exit.
    b.plot3d.contourLevels = 12;
    ASSERT_TRUE(CSettings(Path()).Write(b));
    EXPECT_TRUE(ReadFile().contains("ContourLevels=12"));
}

TEST_F(SettingsTest, WindowValuesReadingRules)
{
    WriteFile("[Settings]\nWndTop=5\n");
    CTestProgram a(m_ui);
    a.placement.left = 99;
    SettingsReadResult r = CSettings(Path()).Read(a);
    EXPECT_EQ(a.placement.left, -1); // absent: -1
    EXPECT_EQ(a.placement.top, 5);
    EXPECT_EQ(r.showState, ShowState::Default); // not read: the start's own show state

    WriteFile("[Settings]\nWndMaximized=0\n");
    CTestProgram b(m_ui);
    EXPECT_EQ(CSettings(Path()).Read(b).showState, ShowState::Normal);

    WriteFile("[Settings]\nWndMaximized=1\n");
    CTestProgram c(m_ui);
    EXPECT_EQ(CSettings(Path()).Read(c).showState, ShowState::Maximized);
    // Started minimised by the shell: it stays so.
    CTestProgram d(m_ui);
    EXPECT_EQ(CSettings(Path()).Read(d, ShowState::Minimized).showState, ShowState::Default);
}

TEST_F(SettingsTest, LutNameIsCutToItsBuffer)
{
    WriteFile("[Settings]\nLUT%20filename=" + QByteArray(100, 'a') + "\n");
    CTestProgram s(m_ui);
    CSettings(Path()).Read(s);
    EXPECT_EQ(std::strlen(s.colours.display.szLutName), 63u);
}

TEST_F(SettingsTest, CorruptFileGivesStartupValuesAndIsReplacedAtExit)
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(static_cast<char>((i * 7919 + 13) & 0xFF));
    WriteFile("[Settings]\nBorder=not a number\nCursorType=1,2\n\x01\x02[[[\n" + garbage);
    CTestProgram s(m_ui);
    CVespiraApp::SetStartupValues(s);
    CSettings(Path()).Read(s);
    ExpectStartupValues(s);

    s.tools.tool = CursorTool::Curve;
    CSettings(Path()).Write(s);
    CTestProgram again(m_ui);
    CSettings(Path()).Read(again);
    EXPECT_EQ(again.tools.tool, CursorTool::Curve);
}

TEST_F(SettingsTest, UnreadableAndUnwritableFileIsSkippedSilently)
{
    // A folder where the file should be can be neither read nor written, even by root.
    QDir().mkpath(Path());
    CTestProgram s(m_ui);
    CVespiraApp::SetStartupValues(s);
    const SettingsReadResult r = CSettings(Path()).Read(s);
    EXPECT_FALSE(r.keyOpened);
    EXPECT_TRUE(r.unreadable);
    ExpectStartupValues(s);
    EXPECT_FALSE(CSettings(Path()).Write(s));
    EXPECT_FALSE(CSettings(Path()).WriteRecentFiles({"/x.rad"}));
    EXPECT_TRUE(m_ui.messages.isEmpty());
}

TEST_F(SettingsTest, RecentFilesShareTheFile)
{
    CSettings settings(Path());
    ASSERT_TRUE(settings.WriteRecentFiles({"/a/one.rad", "/b/two.rad"}));
    CTestProgram s(m_ui);
    ASSERT_TRUE(settings.Write(s));
    EXPECT_EQ(settings.ReadRecentFiles(), (QByteArrayList{"/a/one.rad", "/b/two.rad"}));
    const QByteArray text = ReadFile();
    EXPECT_TRUE(text.contains("[Recent%20File%20List]")) << text.constData();
    EXPECT_TRUE(text.contains("File1=/a/one.rad"));
    // Fewer entries later: the old ones go.
    ASSERT_TRUE(settings.WriteRecentFiles({"/c/three.rad"}));
    EXPECT_EQ(settings.ReadRecentFiles(), QByteArrayList{"/c/three.rad"});

    // A path that is not UTF-8 comes back with the same bytes.
    const QByteArrayList bytes{"/d/lat\xe9.rad", "/e/caf\xc3\xa9.rad"};
    ASSERT_TRUE(settings.WriteRecentFiles(bytes));
    EXPECT_EQ(settings.ReadRecentFiles(), bytes);
    EXPECT_TRUE(QString::fromUtf8(ReadFile()).contains(QStringLiteral("File2=/e/caf\u00e9.rad")));
}

TEST_F(SettingsTest, LastFolderIsKeptBesideTheRecentFiles)
{
    CSettings settings(Path());
    EXPECT_TRUE(settings.ReadLastFolder().isEmpty());
    ASSERT_TRUE(settings.WriteLastFolder(QStringLiteral("/data/scans")));
    ASSERT_TRUE(settings.WriteRecentFiles(QByteArrayList{"/a/one.rad"}));
    CTestProgram s(m_ui);
    ASSERT_TRUE(settings.Write(s));
    EXPECT_EQ(settings.ReadLastFolder(), QStringLiteral("/data/scans"));
    EXPECT_EQ(settings.ReadRecentFiles(), QByteArrayList{"/a/one.rad"});
}

// Start, show, close and write, as a run of the program does, three times: the stored
// placement must not drift.
TEST_F(SettingsTest, PlacementIsStableOverThreeRestarts)
{
    WriteFile("[Settings]\nWndMaximized=0\nWndLeft=40\nWndTop=30\nWndWidth=700\nWndHeight=500\n");
    QList<WindowPlacement> runs;
    for (int run = 0; run < 3; ++run) {
        WindowPlacement placement;
        ShowState shown{};
        ASSERT_NO_FATAL_FAILURE(RunOnce(placement, shown));
        runs << placement;
    }
    for (const WindowPlacement& p : runs) {
        EXPECT_FALSE(p.maximized);
        EXPECT_EQ(p.left, 40);
        EXPECT_EQ(p.top, 30);
        EXPECT_EQ(p.width, 700);
        EXPECT_EQ(p.height, 500);
    }
}

TEST_F(SettingsTest, MaximizedWindowKeepsItsNormalPlacement)
{
    WriteFile("[Settings]\nWndMaximized=1\nWndLeft=50\nWndTop=60\nWndWidth=640\nWndHeight=480\n");
    for (int run = 0; run < 2; ++run) {
        WindowPlacement placement;
        ShowState shown{};
        ASSERT_NO_FATAL_FAILURE(RunOnce(placement, shown));
        EXPECT_EQ(shown, ShowState::Maximized);
        EXPECT_TRUE(placement.maximized);
        EXPECT_EQ(placement.left, 50);
        EXPECT_EQ(placement.top, 60);
        EXPECT_EQ(placement.width, 640);
        EXPECT_EQ(placement.height, 480);
    }
}

TEST(ScreenPlacement, ATitleBarOffEveryScreenComesToTheNearest)
{
    const QRect left(0, 0, 1280, 1024);
    const QRect right(1280, 0, 1280, 1024);
    const QSize size(700, 530);
    auto place = [&](QPoint at, const QList<QRect>& screens) {
        return KeepTitleBarOnScreens(QRect(at, size), 30, screens);
    };
    // On a screen, or enough of the title bar on one: unchanged.
    EXPECT_EQ(place({100, 335}, {left}), QPoint(100, 335));
    EXPECT_EQ(place({1100, 335}, {left}), QPoint(1100, 335));
    // Off every screen, or too little of it on one: moved onto the nearest, wholly where
    // it fits.
    EXPECT_EQ(place({2500, 335}, {left, right}), QPoint(1860, 335));
    EXPECT_EQ(place({2500, 335}, {left}), QPoint(580, 335));
    EXPECT_EQ(place({-2000, -900}, {left, right}), QPoint(0, 0));
    EXPECT_EQ(place({1500, 2000}, {left, right}), QPoint(1500, 494));
    // Larger than the screen: its top-left corner at the screen's.
    EXPECT_EQ(KeepTitleBarOnScreens(QRect(3000, 50, 1500, 1200), 30, {left}), QPoint(0, 0));
    // No screen known: as stored.
    EXPECT_EQ(place({2500, 335}, {}), QPoint(2500, 335));
}

TEST(ScreenPlacement, ASizeLargerThanItsScreenIsCutToIt)
{
    const QRect left(0, 0, 1280, 1024);
    const QRect right(1280, 0, 1920, 1080);
    const QSize huge(1'000'000'000, 1'000'000'000);
    EXPECT_EQ(FitOnScreens(QPoint(40, 30), huge, 30, {left, right}), QSize(1280, 994));
    EXPECT_EQ(FitOnScreens(QPoint(1300, 30), huge, 30, {left, right}), QSize(1920, 1050));
    // A place off every screen: the size the nearest one allows, where it will be moved.
    EXPECT_EQ(FitOnScreens(QPoint(-5000, 2000), huge, 30, {left, right}), QSize(1280, 994));
    EXPECT_EQ(FitOnScreens(QPoint(1'000'000'000, 0), huge, 30, {left, right}), QSize(1920, 1050));
    // What fits stays as it is; without a screen nothing is known.
    EXPECT_EQ(FitOnScreens(QPoint(40, 30), QSize(700, 530), 30, {left, right}), QSize(700, 530));
    EXPECT_EQ(FitOnScreens(QPoint(40, 30), huge, 30, {}), huge);
}

TEST(MainFramePlacement, StoredSizesBeyondTheScreenAreCutToIt)
{
    CFakeHostUi ui;
    CTestProgram state(ui);
    CVespiraApp::SetStartupValues(state);
    state.placement = WindowPlacement{false, 40, 30, 1'000'000'000, 1'000'000'000};
    CDocManager docs(state.services, state.View(), ui);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    CMainFrame frame(state, docs, ui);
    EXPECT_LE(frame.width(), screen.width());
    EXPECT_LE(frame.height(), screen.height());
    // And so they are stored back at exit.
    const WindowPlacement stored = frame.CapturePlacement();
    EXPECT_LE(stored.width, screen.width());
    EXPECT_LE(stored.height, screen.height());
}

TEST(MainFramePlacement, TakenWhenTheWindowIsMadeBeforeItsSplashAndKeptOnScreen)
{
    CFakeHostUi ui;
    CTestProgram state(ui);
    CVespiraApp::SetStartupValues(state);
    state.placement = WindowPlacement{false, 40, 30, 300, 200};
    CDocManager docs(state.services, state.View(), ui);
    CSplashWnd::EnableSplashScreen(true);
    {
        CMainFrame frame(state, docs, ui);
        ASSERT_NE(CSplashWnd::Current(), nullptr);
        EXPECT_EQ(frame.pos(), QPoint(40, 30));
        EXPECT_EQ(frame.size(), QSize(300, 200));
        CSplashWnd::HideSplash();
    }
    CSplashWnd::EnableSplashScreen(false);

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    state.placement.left = screen.right() + 1000;
    CMainFrame frame(state, docs, ui);
    EXPECT_TRUE(screen.contains(QRect(frame.pos(), frame.size()))) << frame.pos().x();
}

// The settings file is only named before its checks, never opened: a FIFO in its place
// gives the start-up values, as /dev/zero does, instead of waiting for a writer.
TEST(SettingsFile, AFifoInPlaceOfTheFileDoesNotHoldUpTheStart)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath("config/Merovant")));
    ASSERT_TRUE(QDir().mkdir(dir.filePath("pipes")));
    QFile::setPermissions(dir.filePath("pipes"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray fifo =
        QFile::encodeName(dir.filePath("config/Merovant/ORMA Radiography.conf"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VESPIRA_PIPE_DIR", dir.filePath("pipes"));
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("XDG_STATE_HOME", dir.filePath("state"));
    QProcess vespira;
    vespira.setProcessEnvironment(env);
    vespira.start(QStringLiteral(VESPIRA_EXE), {QStringLiteral("/NOS")});
    ASSERT_TRUE(vespira.waitForStarted(5000));
    bool up = false;
    for (int i = 0; i < 10 && !up && vespira.state() == QProcess::Running; ++i) {
        QProcess sim;
        sim.setProcessEnvironment(env);
        sim.start(QStringLiteral(ORMA_SIM_PATH), {"send", "--connect-timeout", "1", "5"});
        up = sim.waitForFinished(10000) && sim.exitCode() == 0;
    }
    vespira.kill();
    vespira.waitForFinished(5000);
    EXPECT_TRUE(up) << vespira.readAllStandardError().constData();
}
