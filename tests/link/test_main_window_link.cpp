#include "app/CDocManager.h"
#include "app/CMainFrame.h"
#include "link/CInstrumentServer.h"
#include "link/CPipeListener.h"
#include "link/CRemoteCommandHandler.h"
#include "link/PipeDirectory.h"
#include "tests/link/LinkFakes.h"
#include "view/CVespiraView.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <future>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Result = CInstrumentServer::Result;

// The real main window, listener and sockets; only the message boxes are fakes.
class MainWindowLinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        frame.show();
        std::string error;
        ASSERT_TRUE(instrument.Listen(socketPath, error)) << error;
        listener.Start();
    }

    void TearDown() override
    {
        docs.CloseAllDocuments();
        PumpFor(20);
    }

    std::int32_t Send(const PipeMessage& m)
    {
        auto future = std::async(std::launch::async, [&] {
            std::int32_t status = 99;
            const Result result = instrument.Exchange(m, status, 3000, 3000);
            return result == Result::Ok ? status : 1000 + static_cast<int>(result);
        });
        EXPECT_TRUE(PumpUntil(
            [&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            10000));
        return future.get();
    }

    int Windows() const { return static_cast<int>(frame.MdiArea()->subWindowList().size()); }

    QTemporaryDir dir;
    std::string socketPath = (dir.path() + "/" + kCommandSocketName).toStdString();
    CFakeHostUi ui;
    CTestProgram state{ui};
    CDocManager docs{state.services, state.View(), ui};
    CMainFrame frame{state, docs, ui};
    CRemoteCommandHandler handler{state.services, state.view, frame};
    CInstrumentServer instrument;
    CPipeListener listener{socketPath,
                           [this](const PipeMessage& m) { return handler.HandleRequest(m); }};
};

TEST_F(MainWindowLinkTest, AScanFillsANewPatternWindow)
{
    instrument.Close();
    const QString path = dir.filePath("scan.rad");
    QProcess sim;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VESPIRA_PIPE_DIR", dir.path());
    sim.setProcessEnvironment(env);
    sim.start(QStringLiteral(ORMA_SIM_PATH),
              {"scan", "--x", "-1:1:0.2", "--y", "0:2:0.5", "--save", path});
    ASSERT_TRUE(PumpUntil([&] { return sim.state() == QProcess::NotRunning; }, 30000));
    ASSERT_EQ(sim.exitCode(), 0) << sim.readAllStandardError().toStdString();

    ASSERT_EQ(Windows(), 1);
    CVespiraDoc* doc = state.liveScan.Document();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc, frame.ActiveChildDocument());
    EXPECT_EQ(state.liveScan.View(), static_cast<IPatternView*>(frame.ActiveView()));
    EXPECT_EQ(doc->m_nXPoints, 11);
    EXPECT_EQ(doc->m_nYPoints, 5);
    EXPECT_EQ(std::count(doc->m_pIntensity.begin(), doc->m_pIntensity.end(), 0), 0);
    EXPECT_EQ(state.liveScan.PointsRemaining(), 0);
    EXPECT_EQ(doc->GetTitle(), path) << "SAVEIMAGE titles with the full path";
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(ui.statusText, "Remote SAVEIMAGE command:");
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('|').toStdString();
}

TEST_F(MainWindowLinkTest, TheNewViewIsActiveBeforeItsFirstRepaint)
{
    ASSERT_EQ(Send(Request(kNewImage, 0, 10, 1, 0, 10, 1)), 0);
    // No event loop turn in between: COLLECTING straight after the reply.
    ASSERT_EQ(Send(Request(kCollecting, 2, 3)), 0);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('|').toStdString();
    EXPECT_TRUE(state.liveScan.Marker().on);
    EXPECT_NE(handler.Blinker(), nullptr);
}

TEST_F(MainWindowLinkTest, ClosingTheScannedPatternMakesEveryReplyMinusOne)
{
    ASSERT_EQ(Send(Request(kNewImage, 0, 4, 1, 0, 4, 1)), 0);
    ASSERT_EQ(Send(Request(kCollecting, 1, 1)), 0);
    ASSERT_EQ(Send(Request(kNewPoint, 1, 1, 0, 0, 0, 0, 50)), 0);
    ASSERT_EQ(Send(Request(kCollecting, 2, 1)), 0);
    CVespiraDoc* doc = state.liveScan.Document();

    // The close warns that the scan is running (OK), then asks to save (No).
    ui.answers = {IHostUi::Answer::Ok, IHostUi::Answer::No};
    ASSERT_TRUE(docs.OnFileClose(doc));
    PumpFor(50);
    EXPECT_EQ(Windows(), 0);
    EXPECT_EQ(state.liveScan.Document(), nullptr);
    EXPECT_EQ(handler.Blinker(), nullptr) << "closing stops the blinker";
    EXPECT_EQ(state.liveScan.PointsRemaining(), 24);

    ui.messages.clear();
    EXPECT_EQ(Send(Request(kCheckPipe)), -1);
    EXPECT_EQ(Send(Request(kNewPoint, 2, 1, 0, 0, 0, 0, 50)), -1);
    EXPECT_EQ(ui.messages,
              QStringList{"Vespira: Remote NEWPOINT command, but no active document."});
    PumpFor(600); // a blinker that survived would draw into the deleted view here

    // Ctrl+N makes a document active again.
    frame.NewDocument();
    EXPECT_EQ(Send(Request(kCheckPipe)), 0);
}

TEST_F(MainWindowLinkTest, MalformedRequestsLeaveTheWindowWorking)
{
    std::int32_t status = 0;
    std::vector<std::uint8_t> tooLong(1000, 1);
    auto future = std::async(std::launch::async, [&] {
        return instrument.ExchangeRaw(tooLong.data(), tooLong.size(), status, 3000, 3000);
    });
    ASSERT_TRUE(PumpUntil(
        [&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        10000));
    EXPECT_EQ(future.get(), Result::NoReply);
    EXPECT_TRUE(ui.messages.isEmpty()) << "an over-long request is never handled";

    PipeMessage noNul = Request(kSaveImage);
    std::memset(noNul.text, 'x', sizeof noNul.text);
    EXPECT_EQ(Send(noNul), 0);
    EXPECT_EQ(ui.messages,
              QStringList{"Vespira: Remote SAVEIMAGE command, but no active document."});
    EXPECT_EQ(Send(Request(kCheckPipe)), 0);
    EXPECT_EQ(ui.statusText, "Remote CHECKPIPE command:");
}

TEST_F(MainWindowLinkTest, AGridBeyondTheLimitLeavesOneMessageAndAUsableWindow)
{
    ASSERT_EQ(Send(Request(kNewImage, 0, 4, 1, 0, 4, 1)), 0);
    ASSERT_EQ(Send(Request(kNewImage, 0, 4096, 1, 0, 4095, 1)), 0);
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(Send(Request(kCollecting, static_cast<float>(i), 0)), 0);
        ASSERT_EQ(Send(Request(kNewPoint, static_cast<float>(i), 0, 0, 0, 0, 0, 5)), 0);
    }
    EXPECT_EQ(ui.messages,
              (QStringList{"Vespira: Remote NEWIMAGE command, but the grid is not valid.",
                           "Vespira: Remote COLLECTING command, but no active document/view."}));
    EXPECT_EQ(Windows(), 1);
    ASSERT_EQ(Send(Request(kNewImage, 0, 2, 1, 0, 2, 1)), 0);
    EXPECT_EQ(Windows(), 2);
    EXPECT_EQ(state.liveScan.PointsRemaining(), 9);
}

TEST_F(MainWindowLinkTest, PathsThatAreNotUtf8ReachTheFileSystemAsSent)
{
    const auto contents = [](const QByteArray& path) {
        std::ifstream in(path.constData(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };
    const QByteArray folder = QFile::encodeName(dir.path()) + "/saved";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QByteArray first = folder + "/a\xe9.rad";
    const QByteArray second = folder + "/a\xe8.rad";
    ASSERT_EQ(Send(Request(kNewImage, 0, 2, 1, 0, 2, 1)), 0);
    ASSERT_EQ(Send(Request(kNewPoint, 1, 1, 0, 0, 0, 0, 11)), 0);
    ASSERT_EQ(Send(Request(kSaveImage, 0, 0, 0, 0, 0, 0, 0, first.constData())), 0);
    ASSERT_EQ(Send(Request(kNewPoint, 1, 1, 0, 0, 0, 0, 22)), 0);
    ASSERT_EQ(Send(Request(kSaveImage, 0, 0, 0, 0, 0, 0, 0, second.constData())), 0);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('|').toStdString();

    std::set<std::string> names;
    DIR* listing = ::opendir(folder.constData());
    ASSERT_NE(listing, nullptr);
    while (const dirent* entry = ::readdir(listing))
        names.insert(entry->d_name);
    ::closedir(listing);
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "a\xe9.rad", "a\xe8.rad"}));
    EXPECT_NE(contents(first).find("\nFile: a\xe9.rad\n"), std::string::npos);
    EXPECT_NE(contents(second).find("\nFile: a\xe8.rad\n"), std::string::npos);

    ASSERT_EQ(Send(Request(kLoadImage, 0, 0, 0, 0, 0, 0, 0, first.constData())), 0);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('|').toStdString();
    CVespiraDoc* doc = state.liveScan.Document();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_pIntensity[doc->IndexOf(1, 1)], 11);
    EXPECT_STREQ(doc->m_szFileName, "a\xe9.rad");
    // QTemporaryDir cannot remove names it cannot spell.
    ::unlink(first.constData());
    ::unlink(second.constData());
}

TEST_F(MainWindowLinkTest, LoadImageOfADeviceFifoOrFolderIsRefusedAtOnce)
{
    ASSERT_EQ(Send(Request(kNewImage, 0, 4, 1, 0, 4, 1)), 0);
    const QByteArray fifo = QFile::encodeName(dir.filePath("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const QByteArray folder = QFile::encodeName(dir.path());
    for (const QByteArray& path : {fifo, folder, QByteArray("/dev/zero")}) {
        ui.messages.clear();
        EXPECT_EQ(Send(Request(kLoadImage, 0, 0, 0, 0, 0, 0, 0, path.constData())), 0);
        EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Vespira: Remote LOADIMAGE command, "
                                                          "but %1 cannot be opened.")
                                               .arg(QFile::decodeName(path))});
        ASSERT_NE(state.liveScan.Document(), nullptr);
        EXPECT_EQ(state.liveScan.Document()->PointCount(), 25);
    }
}

} // namespace
