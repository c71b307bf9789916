#include "link/CMarkerBlinker.h"
#include "link/CRemoteCommandHandler.h"
#include "tests/link/LinkFakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString kNoDocNewPoint = "Vespira: Remote NEWPOINT command, but no active document.";
const QString kNoDocCollecting = "Vespira: Remote COLLECTING command, but no active document/view.";
const QString kNoDocEndCollect = "Vespira: Remote ENDCOLLECT command, but no active document/view.";
const QString kBadGrid = "Vespira: Remote NEWIMAGE command, but the grid is not valid.";

class HandlerTest : public ::testing::Test
{
protected:
    CFakeHostUi ui;
    CTestProgram state{ui};
    CFakeRemoteHost host{state};
    CRemoteCommandHandler handler{state.services, state.view, host};

    std::int32_t Send(const PipeMessage& m) { return handler.HandleRequest(m); }
    // X 0..10 by 0.5 and Y 0..5 by 0.5: 21 columns, 11 rows.
    CVespiraDoc* Scan()
    {
        Send(Request(kNewImage, 0, 10, 0.5f, 0, 5, 0.5f));
        return state.liveScan.Document();
    }
    CRecordingView& View() { return *host.View(); }
};

// A host with a pane of its own for the remote commands.
struct CRemotePaneHostUi : CFakeHostUi
{
    void ShowRemoteCommand(const QString& text) override { remoteCommands << text; }
    QStringList remoteCommands;
};

TEST(RemoteCommandPane, CommandsNeverOverwriteThePointerReadout)
{
    CRemotePaneHostUi ui;
    CTestProgram state{ui};
    CFakeRemoteHost host{state};
    CRemoteCommandHandler handler{state.services, state.view, host};
    const QString readout = QStringLiteral("X: 3  Y: 1  Int: 7  Time: ?");
    ui.statusText = readout;
    handler.HandleRequest(Request(kNewImage, 0, 4, 1, 0, 4, 1));
    handler.HandleRequest(Request(kCollecting, 1, 1));
    handler.HandleRequest(Request(kNewPoint, 1, 1, 0, 0, 0, 0, 5));
    handler.HandleRequest(Request(kEndCollect));
    EXPECT_EQ(ui.statusText, readout);
    EXPECT_EQ(ui.remoteCommands,
              (QStringList{"Remote NEWIMAGE command:", "Remote COLLECTING command:",
                           "Remote NEWPOINT command:", "Remote ENDCOLLECT command:"}));
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('|').toStdString();
}

TEST_F(HandlerTest, NewImageMakesTheDocumentAndCountsThePoints)
{
    state.liveScan.SetMarker(0, 0);
    EXPECT_EQ(Send(Request(kNewImage, 0, 10, 0.5f, 0, 5, 0.5f)), 0);
    ASSERT_NE(state.liveScan.Document(), nullptr);
    EXPECT_EQ(state.liveScan.PendingGrid().nXPoints, 21);
    EXPECT_EQ(state.liveScan.PendingGrid().nYPoints, 11);
    EXPECT_EQ(state.liveScan.Document()->m_nXPoints, 21);
    EXPECT_EQ(state.liveScan.Document()->m_nYPoints, 11);
    EXPECT_EQ(state.liveScan.PointsRemaining(), 231);
    EXPECT_FALSE(state.liveScan.Marker().on);
    EXPECT_EQ(ui.statusText, "Remote NEWIMAGE command:");
    EXPECT_TRUE(ui.messages.isEmpty());

    Send(Request(kNewImage, 2, 2, 0.1f, -1, 1, 0.5f));
    EXPECT_EQ(state.liveScan.PendingGrid().nXPoints, 1);
    EXPECT_EQ(state.liveScan.PendingGrid().nYPoints, 5);
    EXPECT_EQ(state.liveScan.PointsRemaining(), 5);
    EXPECT_EQ(host.newDocumentCalls, 2);
}

TEST_F(HandlerTest, NewImageRefusesAGridThatCannotBeMade)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const PipeMessage bad[] = {
        Request(kNewImage, 0, 10, 0, 0, 5, 0.5f),      // increment 0
        Request(kNewImage, 0, 10, 0.5f, 0, nan, 0.5f), // not finite
        Request(kNewImage, 0, inf, 0.5f, 0, 5, 0.5f),  // not finite
        Request(kNewImage, 10, 0, 0.5f, 0, 5, 0.5f),   // end before begin: count below 1
        Request(kNewImage, 0, 9999, 1, 0, 9999, 1),    // 100 million points
        Request(kNewImage, 0, 1e30f, 1e-30f, 0, 5, 1), // beyond any count
    };
    for (const PipeMessage& m : bad) {
        CVespiraDoc* before = Scan();
        ASSERT_NE(before, nullptr);
        const ScanGrid good = state.liveScan.PendingGrid();
        ui.messages.clear();
        ui.statusText.clear();

        EXPECT_EQ(Send(m), 0);
        EXPECT_EQ(state.liveScan.Document(), nullptr) << "points would land in the old pattern";
        EXPECT_EQ(state.liveScan.View(), nullptr);
        EXPECT_EQ(state.liveScan.PointsRemaining(), 0);
        EXPECT_EQ(ui.messages, QStringList{kBadGrid});
        EXPECT_EQ(ui.statusText, "Remote NEWIMAGE command:");
        EXPECT_EQ(state.liveScan.PendingGrid().nXPoints, good.nXPoints)
            << "Ctrl+N keeps a usable grid";
        EXPECT_EQ(state.liveScan.PendingGrid().fXInc, good.fXInc);
    }
    EXPECT_EQ(host.newDocumentCalls, 6) << "only the good grids reach the New command";
}

TEST_F(HandlerTest, NewImageRefusesGridsBeyondTheLimitOrTheFreeMemory)
{
    CVespiraDoc* before = Scan();
    ASSERT_NE(before, nullptr);
    Send(Request(kNewImage, 0, 4096, 1, 0, 4095, 1)); // 4097 x 4096
    EXPECT_EQ(ui.messages, QStringList{kBadGrid});
    EXPECT_EQ(state.liveScan.Document(), nullptr);
    EXPECT_EQ(host.newDocumentCalls, 1);

    // 2000 x 1500 points need 36 MB for their arrays, beside the reserve.
    state.services.availableMemory = [] {
        return std::optional<std::uint64_t>(kMemoryReserve + 30'000'000);
    };
    ui.messages.clear();
    EXPECT_EQ(Send(Request(kNewImage, 0, 1999, 1, 0, 1499, 1)), 0);
    EXPECT_EQ(ui.messages, QStringList{"Vespira: Remote NEWIMAGE command, but there is not enough "
                                       "memory for a grid of 2000 x 1500 points."});
    EXPECT_EQ(state.liveScan.Document(), nullptr);
    EXPECT_EQ(state.liveScan.PointsRemaining(), 0);
    EXPECT_EQ(state.liveScan.PendingGrid().nXPoints, 21) << "Ctrl+N keeps a usable grid";
    EXPECT_EQ(ui.statusText, "Remote NEWIMAGE command:");
    EXPECT_EQ(host.newDocumentCalls, 1);

    // Still usable: a grid that fits is made.
    EXPECT_NE(Scan(), nullptr);
    EXPECT_EQ(state.liveScan.PointsRemaining(), 231);
}

TEST_F(HandlerTest, TheScanAfterARefusedGridShowsOneMessageNotOnePerPoint)
{
    const PipeMessage refused = Request(kNewImage, 0, 10, 0, 0, 5, 0.5f);
    Scan();
    Send(refused);
    ui.messages.clear();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Send(Request(kCollecting, static_cast<float>(i), 0)), 0);
        EXPECT_EQ(Send(Request(kNewPoint, static_cast<float>(i), 0, 0, 0, 0, 0, 7)), 0);
    }
    EXPECT_EQ(Send(Request(kEndCollect)), 0);
    EXPECT_EQ(ui.messages, QStringList{kNoDocCollecting});

    // The next refused grid has its own scan, and so its own message.
    Send(refused);
    ui.messages.clear();
    Send(Request(kNewPoint, 1, 1));
    Send(Request(kNewPoint, 2, 1));
    EXPECT_EQ(ui.messages, QStringList{kNoDocNewPoint});

    // Once a document has been active, each point without one has its message again.
    Scan();
    Send(Request(kCheckPipe));
    host.CloseActive();
    ui.messages.clear();
    EXPECT_EQ(Send(Request(kNewPoint, 1, 1)), -1);
    EXPECT_EQ(Send(Request(kNewPoint, 2, 1)), -1);
    EXPECT_EQ(ui.messages, (QStringList{kNoDocNewPoint, kNoDocNewPoint}));
}

TEST_F(HandlerTest, ReplyStatusTellsWhetherTheScannedPatternStillExists)
{
    EXPECT_EQ(Send(Request(kCheckPipe)), 0);
    EXPECT_EQ(ui.statusText, "Remote CHECKPIPE command:");
    state.liveScan.SetPointsRemaining(5);
    EXPECT_EQ(Send(Request(kCheckPipe)), -1);

    Scan();
    EXPECT_EQ(Send(Request(kCheckPipe)), 0);
    host.CloseActive();
    EXPECT_EQ(state.liveScan.PointsRemaining(), 231) << "closing leaves the count";
    EXPECT_EQ(Send(Request(kCheckPipe)), -1);
    EXPECT_EQ(Send(Request(kMeasurementParameters)), -1);
    Send(Request(kNewImage, 0, 1, 1, 0, 1, 1));
    EXPECT_EQ(Send(Request(kCheckPipe)), 0);
}

TEST_F(HandlerTest, NewPointStoresCountsDownAndTitles)
{
    Send(Request(kNewImage, 0, 10, 1, 0, 5, 0.25f));
    CVespiraDoc* doc = state.liveScan.Document();
    ASSERT_NE(doc, nullptr);
    const int total = state.liveScan.PointsRemaining();

    Send(Request(kNewPoint, 3, 1.25f, 0, 0, 0, 0, 77));
    EXPECT_EQ(doc->GetTitle(), "Collected:  X: 3  Y: 1.25  Int: 77");
    const int col = 3, row = doc->RowOf(1.25f);
    EXPECT_EQ(doc->m_pIntensity[doc->IndexOf(col, row)], 77);
    EXPECT_EQ(state.liveScan.PointsRemaining(), total - 1);
    EXPECT_EQ(View().calls.back(), "Cell 3," + std::to_string(row));
    EXPECT_EQ(ui.statusText, "Remote NEWPOINT command:");

    // Outside the grid: nothing stored anywhere, the point still counts.
    const auto before = doc->m_pIntensity;
    Send(Request(kNewPoint, 500, -300, 0, 0, 0, 0, 9));
    Send(Request(kNewPoint, std::nanf(""), 1, 0, 0, 0, 0, 9));
    EXPECT_EQ(doc->m_pIntensity, before);
    EXPECT_EQ(state.liveScan.PointsRemaining(), total - 3);

    state.liveScan.SetPointsRemaining(0);
    Send(Request(kNewPoint, 1, 1, 0, 0, 0, 0, 5));
    EXPECT_EQ(state.liveScan.PointsRemaining(), 0) << "never below 0";
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(HandlerTest, CommandsThatNeedADocumentSayWhenThereIsNone)
{
    state.liveScan.SetPointsRemaining(4);
    Send(Request(kNewPoint, 1, 1, 0, 0, 0, 0, 5));
    EXPECT_EQ(state.liveScan.PointsRemaining(), 4);
    Send(Request(kLoadImage, 0, 0, 0, 0, 0, 0, 0, "/tmp/x.rad"));
    Send(Request(kSaveImage, 0, 0, 0, 0, 0, 0, 0, "/tmp/x.rad"));
    EXPECT_EQ(
        ui.messages,
        (QStringList{kNoDocNewPoint, "Vespira: Remote LOADIMAGE command, but no active document.",
                     "Vespira: Remote SAVEIMAGE command, but no active document."}));
    EXPECT_EQ(ui.statusText, "Remote SAVEIMAGE command:");
}

TEST_F(HandlerTest, SaveImageWritesAndTitlesWithTheFullPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CVespiraDoc* doc = Scan();
    Send(Request(kNewPoint, 1, 1, 0, 0, 0, 0, 1234));
    const QByteArray path = QDir(dir.path()).filePath("scan.rad").toLocal8Bit();
    EXPECT_EQ(Send(Request(kSaveImage, 0, 0, 0, 0, 0, 0, 0, path.constData())), 0);
    EXPECT_EQ(doc->GetTitle(), QString::fromLocal8Bit(path));
    EXPECT_STREQ(doc->m_szFileName, "scan.rad");
    EXPECT_EQ(ui.statusText, "Remote SAVEIMAGE command:");
    EXPECT_TRUE(ui.messages.isEmpty());

    // Loading it back into a fresh pattern brings the point back.
    Send(Request(kNewImage, 0, 1, 1, 0, 1, 1));
    CVespiraDoc* other = state.liveScan.Document();
    View().calls.clear();
    Send(Request(kLoadImage, 0, 0, 0, 0, 0, 0, 0, path.constData()));
    EXPECT_EQ(other->m_nXPoints, 21);
    EXPECT_EQ(other->m_pIntensity[other->IndexOf(other->ColumnOf(1), other->RowOf(1))], 1234);
    EXPECT_EQ(View().calls, std::vector<std::string>{"Repaint"});
    EXPECT_EQ(ui.statusText, "Remote LOADIMAGE command:");
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(HandlerTest, FailedFileCommandsAreReportedNotPassedOffAsDone)
{
    CVespiraDoc* doc = Scan();
    doc->SetTitle("ORMA1");
    Send(Request(kSaveImage, 0, 0, 0, 0, 0, 0, 0, "/nonexistent-dir/scan.rad"));
    EXPECT_EQ(doc->GetTitle(), "ORMA1");
    Send(Request(kLoadImage, 0, 0, 0, 0, 0, 0, 0, "/nonexistent-dir/scan.rad"));
    EXPECT_EQ(doc->m_nXPoints, 21);
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[0], "Vespira: Remote SAVEIMAGE command, but /nonexistent-dir/scan.rad "
                              "cannot be written: No such file or directory.");
    EXPECT_EQ(ui.messages[1], "Vespira: Remote LOADIMAGE command, but /nonexistent-dir/scan.rad "
                              "cannot be opened.");
    EXPECT_EQ(Send(Request(kCheckPipe)), 0);
}

// A save that fails says why: out of descriptors, a full disk, a folder in the way.
TEST_F(HandlerTest, AFailedSaveSaysWhy)
{
    CVespiraDoc* doc = Scan();
    ASSERT_NE(doc, nullptr);
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkdir(dir.filePath("folder.rad")));
    Send(Request(kSaveImage, 0, 0, 0, 0, 0, 0, 0,
                 dir.filePath("folder.rad").toLocal8Bit().constData()));

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    const int lowestFree = ::dup(0);
    ASSERT_GE(lowestFree, 0);
    ::close(lowestFree);
    rlimit limit = old;
    limit.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    Send(Request(kSaveImage, 0, 0, 0, 0, 0, 0, 0, dir.filePath("a.rad").toLocal8Bit().constData()));
    ::setrlimit(RLIMIT_NOFILE, &old);

    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit = old;
    limit.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    Send(Request(kSaveImage, 0, 0, 0, 0, 0, 0, 0, dir.filePath("b.rad").toLocal8Bit().constData()));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(ui.messages.size(), 3);
    EXPECT_TRUE(ui.messages[0].endsWith("folder.rad cannot be written: it is a folder."))
        << ui.messages[0].toStdString();
    EXPECT_TRUE(ui.messages[1].endsWith("a.rad cannot be written: Too many open files."))
        << ui.messages[1].toStdString();
    EXPECT_TRUE(ui.messages[2].endsWith("b.rad cannot be written: File too large."))
        << ui.messages[2].toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("a.rad")));
    EXPECT_FALSE(QFile::exists(dir.filePath("b.rad")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

TEST_F(HandlerTest, CollectingSetsTheMarkerAndStartsTheBlinker)
{
    Scan();
    // A COLLECTING that found no view first: the one that succeeds clears its error.
    IPatternView* view = state.liveScan.View();
    state.liveScan.SetView(nullptr);
    Send(Request(kCollecting, 1.5f, 4.0f));
    state.liveScan.SetView(view);
    ui.messages.clear();
    Send(Request(kCollecting, 1.5f, 4.0f));
    EXPECT_EQ(state.liveScan.Document()->GetTitle(), "Collecting:  X: 1.5  Y: 4.0");
    EXPECT_TRUE(state.liveScan.Marker().on);
    EXPECT_EQ(state.liveScan.Marker().col, 3);
    EXPECT_EQ(state.liveScan.Marker().row, 2);
    EXPECT_EQ(View().calls, std::vector<std::string>{"Marker 3,2"});
    ASSERT_NE(handler.Blinker(), nullptr);
    EXPECT_EQ(ui.statusText, "Remote COLLECTING command:");

    // A point outside the grid turns the marker on but draws nothing.
    View().calls.clear();
    Send(Request(kCollecting, 100, -100));
    EXPECT_TRUE(state.liveScan.Marker().on);
    EXPECT_TRUE(View().calls.empty());
    PumpFor(300);
    EXPECT_TRUE(View().calls.empty());

    // NEWPOINT ends the blinker and the marker.
    Send(Request(kNewPoint, 1.5f, 4.0f, 0, 0, 0, 0, 3));
    EXPECT_EQ(handler.Blinker(), nullptr);
    EXPECT_FALSE(state.liveScan.Marker().on);

    // The error cleared above: an ENDCOLLECT without a pattern says so.
    state.liveScan.Forget();
    Send(Request(kEndCollect));
    EXPECT_EQ(ui.messages, QStringList{kNoDocEndCollect});
}

TEST_F(HandlerTest, CollectingWithoutAViewComplainsEveryTimeAndEndCollectOnce)
{
    Send(Request(kCollecting, 1, 1));
    Send(Request(kCollecting, 1, 1));
    EXPECT_EQ(ui.messages, (QStringList{kNoDocCollecting, kNoDocCollecting}));
    EXPECT_EQ(ui.statusText, "Remote COLLECTING command:");
    Send(Request(kEndCollect));
    EXPECT_EQ(ui.messages.size(), 2) << "ENDCOLLECT after a failed COLLECTING shows nothing";
    EXPECT_EQ(ui.statusText, "Remote ENDCOLLECT command:");

    // A COLLECTING that succeeds clears the error; the pattern then goes.
    Scan();
    Send(Request(kCollecting, 1, 1));
    ASSERT_EQ(ui.messages.size(), 2);
    state.liveScan.Forget();
    Send(Request(kEndCollect));
    Send(Request(kEndCollect));
    EXPECT_EQ(ui.messages.size(), 3);
    EXPECT_EQ(ui.messages.back(), kNoDocEndCollect);

    // A document without a view is not enough; a running blinker is left running.
    Scan();
    Send(Request(kCollecting, 1, 1));
    IPatternView* view = state.liveScan.View();
    state.liveScan.SetView(nullptr);
    Send(Request(kCollecting, 2, 2));
    EXPECT_EQ(ui.messages.back(), kNoDocCollecting);
    EXPECT_NE(handler.Blinker(), nullptr);
    EXPECT_EQ(state.liveScan.Marker().col, 2);
    state.liveScan.SetView(view);
}

TEST_F(HandlerTest, EndCollectRestoresTheTitleAndErasesTheMarker)
{
    CVespiraDoc* doc = Scan();
    std::strcpy(doc->m_szFileName, "scan.rad");
    doc->SetScanTime(0, 0, 900.0f);

    for (bool overlay : {true, false}) {
        state.view.overlay = overlay;
        Send(Request(kCollecting, 1.5f, 4.0f));
        View().calls.clear();
        Send(Request(kEndCollect));
        EXPECT_EQ(doc->GetTitle(), "scan.rad");
        EXPECT_FALSE(state.liveScan.Marker().on);
        EXPECT_EQ(handler.Blinker(), nullptr);
        std::vector<std::string> expected{"Cell 3,2"};
        if (overlay)
            expected.push_back("AllTargets");
        EXPECT_EQ(View().calls, expected) << "overlay " << overlay;
        EXPECT_EQ(ui.statusText, "Remote ENDCOLLECT command:");
    }
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(HandlerTest, EndCollectGivesAPatternNeverSavedItsOwnTitleBack)
{
    CVespiraDoc* doc = Scan();
    doc->SetTitle("ORMA1");
    Send(Request(kCollecting, 1, 1));
    Send(Request(kNewPoint, 1, 1, 0, 0, 0, 0, 5));
    Send(Request(kEndCollect));
    EXPECT_EQ(doc->GetTitle(), "ORMA1");
    // A scan stopped before its first point never changed the title: it stays.
    Send(Request(kEndCollect));
    EXPECT_EQ(doc->GetTitle(), "ORMA1");

    // Once saved, the file name is the title.
    QTemporaryDir dir;
    const QByteArray path = QDir(dir.path()).filePath("p.rad").toLocal8Bit();
    Send(Request(kCollecting, 1, 1));
    Send(Request(kSaveImage, 0, 0, 0, 0, 0, 0, 0, path.constData()));
    Send(Request(kEndCollect));
    EXPECT_EQ(doc->GetTitle(), "p.rad");
}

TEST_F(HandlerTest, ParameterCommandsFillTheHeaderAndRound)
{
    Send(Request(kMeasurementParameters, 10.5f, 40.5f, 29.4f, 105.5f, 512, 498.25f, 1024));
    EXPECT_EQ(ui.statusText, "") << "without a document nothing happens";
    EXPECT_TRUE(ui.messages.isEmpty());
    Send(Request(kBackgroundParameters, 1, 2, 3, 4, 5, 0, 0, "bg.rad"));
    EXPECT_TRUE(ui.messages.isEmpty());

    CVespiraDoc* doc = Scan();
    ui.statusText = "before";
    const std::string title = doc->GetTitle().toStdString();
    Send(Request(kMeasurementParameters, 10.5f, 40.5f, 29.4f, 105.5f, 512, 498.25f, 1024));
    EXPECT_EQ(doc->m_fMeasTime, 10.5f);
    EXPECT_EQ(doc->m_nKV, 41);
    EXPECT_EQ(doc->m_nMA, 29);
    EXPECT_EQ(doc->m_fDetDistance, 105.5f);
    EXPECT_EQ(doc->m_fBeamX, 512.0f);
    EXPECT_EQ(doc->m_fBeamY, 498.25f);
    EXPECT_EQ(doc->m_nImageSize, 1024);

    std::string longName(300, 'n');
    Send(Request(kBackgroundParameters, 1.5f, -2.5f, 49.5f, -0.7f, 60, 0, 0, longName.c_str()));
    EXPECT_EQ(std::string(doc->m_szBackgroundFile), std::string(255, 'n'));
    EXPECT_EQ(doc->m_fBackgroundX, 1.5f);
    EXPECT_EQ(doc->m_fBackgroundY, -2.5f);
    EXPECT_EQ(doc->m_nBackgroundKV, 50);
    EXPECT_EQ(doc->m_nBackgroundMA, 0) << "-0.7 + 0.5 truncates toward zero";
    EXPECT_EQ(doc->m_fBackgroundTime, 60.0f);
    EXPECT_EQ(ui.statusText, "before");
    EXPECT_EQ(doc->GetTitle().toStdString(), title);

    // Values no integer can hold do not become undefined conversions.
    Send(Request(kMeasurementParameters, 0, std::nanf(""), 1e30f));
    EXPECT_EQ(doc->m_nKV, 0);
    EXPECT_EQ(doc->m_nMA, 2147483647);
}

TEST_F(HandlerTest, UnknownCodesAreReportedAndLeaveTheStatus)
{
    ui.statusText = "Remote CHECKPIPE command:";
    for (std::int32_t code : {0, 10, -1, 17, 2147483647}) {
        ui.messages.clear();
        EXPECT_EQ(Send(Request(code)), 0);
        EXPECT_EQ(ui.messages, QStringList{"Vespira: Unknown named pipe command."}) << code;
    }
    EXPECT_EQ(ui.statusText, "Remote CHECKPIPE command:");
}

class BlinkerTest : public HandlerTest
{};

TEST_F(BlinkerTest, AlternatesTheTwoColoursEveryQuarterSecond)
{
    Scan();
    Send(Request(kCollecting, 1.5f, 4.0f));
    ASSERT_TRUE(PumpUntil([&] { return View().calls.size() >= 3; }, 2000));
    EXPECT_EQ(View().calls[0], "Marker 3,2");
    EXPECT_EQ(View().calls[1], "Target 3,2");
    EXPECT_EQ(View().calls[2], "Marker 3,2");
}

TEST_F(BlinkerTest, AStoppedBlinkerNeverDrawsAgain)
{
    Scan();
    Send(Request(kCollecting, 1.5f, 4.0f));
    const CMarkerBlinker* first = handler.Blinker();
    ASSERT_NE(first, nullptr);

    // Marker off, then on again at once for another cell: the first blinker stays dead
    // even though the flag is back on before its next tick could see it off.
    state.liveScan.ClearMarker();
    ASSERT_TRUE(PumpUntil([&] { return !first->IsRunning(); }, 1000));
    state.liveScan.SetMarker(3, 2);
    PumpFor(300);
    EXPECT_FALSE(first->IsRunning());

    // Closing the document releases the blinker; nothing is drawn afterwards.
    Send(Request(kCollecting, 2.0f, 4.0f));
    host.CloseActive();
    EXPECT_EQ(handler.Blinker(), nullptr);
    View().calls.clear();
    PumpFor(600);
    EXPECT_TRUE(View().calls.empty());
}

TEST_F(BlinkerTest, DrawsOnlyIntoTheActiveViewAndInsideTheGrid)
{
    CVespiraDoc* doc = Scan();
    Send(Request(kCollecting, 10.0f, 0.0f)); // the last cell
    View().calls.clear();
    state.liveScan.SetView(nullptr);
    PumpFor(600);
    EXPECT_TRUE(View().calls.empty());

    // A smaller grid loaded meanwhile puts the marker cell outside it.
    state.liveScan.SetView(host.View());
    ScanGrid small{2, 2, 0, 1, 1, 0, 1, 1};
    ASSERT_TRUE(doc->SetUpGrid(small));
    PumpFor(600);
    EXPECT_TRUE(View().calls.empty());
}

} // namespace
