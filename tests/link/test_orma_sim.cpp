#include "link/CPipeListener.h"
#include "link/CRemoteCommandHandler.h"
#include "link/PipeDirectory.h"
#include "tests/link/LinkFakes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The simulator against the real listener and handler, with a fake main window.
class OrmaSimTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        env.insert("VESPIRA_PIPE_DIR", dir.path());
        listener.Start();
    }

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Run Sim(const QStringList& args, int timeoutMs = 20000)
    {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(ORMA_SIM_PATH), args);
        Run run;
        if (!process.waitForStarted(5000))
            return run;
        const bool done =
            PumpUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
        if (!done) {
            process.kill();
            process.waitForFinished(2000);
        }
        run.exitCode = done ? process.exitCode() : -1;
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    CFakeHostUi ui;
    CTestProgram state{ui};
    CFakeRemoteHost host{state};
    CRemoteCommandHandler handler{state.services, state.view, host};
    std::function<void(const PipeMessage&)> beforeEach;
    CPipeListener listener{(dir.path() + "/" + kCommandSocketName).toStdString(),
                           [this](const PipeMessage& m) {
                               if (beforeEach)
                                   beforeEach(m);
                               return handler.HandleRequest(m);
                           }};
};

TEST_F(OrmaSimTest, ScansASampleIntoANewPatternAndSavesIt)
{
    const QString path = dir.filePath("scan.rad");
    const Run run = Sim({"scan", "--x", "0:2:1", "--y", "-1:0:0.5", "--save", path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("scan of 9 points done")) << run.out.toStdString();

    CVespiraDoc* doc = state.liveScan.Document();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_nXPoints, 3);
    EXPECT_EQ(doc->m_nYPoints, 3);
    for (std::int32_t value : doc->m_pIntensity)
        EXPECT_GT(value, 0);
    EXPECT_EQ(state.liveScan.PointsRemaining(), 0);
    EXPECT_FALSE(state.liveScan.Marker().on);
    EXPECT_EQ(doc->m_nKV, 40);
    EXPECT_STREQ(doc->m_szBackgroundFile, "background.rad");
    EXPECT_EQ(doc->GetTitle(), path);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join("|").toStdString();

    // Replaying the file gives the same intensities in another new pattern.
    const auto first = doc->m_pIntensity;
    const Run replay = Sim({"replay", path});
    ASSERT_EQ(replay.exitCode, 0) << replay.err.toStdString();
    ASSERT_NE(state.liveScan.Document(), doc);
    EXPECT_EQ(state.liveScan.Document()->m_pIntensity, first);
}

TEST_F(OrmaSimTest, StopsWhenThePatternIsClosedDuringTheScan)
{
    int points = 0;
    beforeEach = [&](const PipeMessage& m) {
        if (m.code == kNewPoint && ++points == 3)
            host.CloseActive();
    };
    const Run run = Sim({"scan", "--x", "0:4:1", "--y", "0:4:1"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("no longer exists")) << run.err.toStdString();
    EXPECT_EQ(points, 3) << "nothing more was sent after the -1";
    EXPECT_EQ(state.liveScan.PointsRemaining(), 23) << "the third point found no document";
}

TEST_F(OrmaSimTest, SendsSingleCommandsAndRefusesBadArguments)
{
    Run run = Sim({"send", "5"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "reply status: 0\n");
    EXPECT_EQ(ui.statusText, "Remote CHECKPIPE command:");

    run = Sim({"send", "--int", "1024", "8", "1", "40.5", "30", "100", "-2.5", "3"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    state.liveScan.SetPointsRemaining(2);
    run = Sim({"send", "4", "1", "1"});
    EXPECT_EQ(run.out, "reply status: -1\n");
    EXPECT_EQ(ui.messages.last(), "Vespira: Remote NEWPOINT command, but no active document.");

    for (const QStringList& bad :
         {QStringList{"send"}, QStringList{"send", "x"}, QStringList{"send", "4", "1", "nan"},
          QStringList{"scan", "--x", "0:1"}, QStringList{"scan", "--rate", "-3"},
          QStringList{"scan", "--x", "0:5:0"}, QStringList{"replay"}, QStringList{"warp"}}) {
        run = Sim(bad);
        EXPECT_EQ(run.exitCode, 1) << bad.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_EQ(Sim({"bench", "--help"}).exitCode, 0);
}

TEST_F(OrmaSimTest, SaysSoWhenVespiraIsNotThere)
{
    env.insert("VESPIRA_PIPE_DIR", dir.filePath("other"));
    const Run run = Sim({"send", "--connect-timeout", "0.3", "5"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("did not connect")) << run.err.toStdString();
}

TEST_F(OrmaSimTest, PrintsTheTargetListsItReceives)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ORMA_SIM_PATH), {"targets", "--once"});
    ASSERT_TRUE(process.waitForStarted(5000));

    // Vespira's side of one list: a socket per message, up to 1000 ms for the connect.
    auto send = [&](const PipeMessage& m) {
        CPipeServer server;
        std::string error;
        EXPECT_TRUE(server.Listen((dir.path() + "/" + kTargetSocketName).toStdString(), error));
        CPipeSocket peer = server.Accept(1000);
        if (!peer.IsValid())
            return false;
        PipeBytes reply{};
        std::size_t size = 0;
        return peer.Send(EncodePipeMessage(m), 1000) == CPipeSocket::Result::Ok &&
               peer.Receive(reply, size, 1000) == CPipeSocket::Result::Ok && size == 288;
    };
    EXPECT_TRUE(send(Request(kTargetListStart)));
    EXPECT_TRUE(send(Request(kTarget, 1.5f, -2.25f, 10, 0, 0, 0, 0)));
    EXPECT_TRUE(send(Request(kTarget, 3, 4, 900, 0, 0, 0, 1)));
    PipeMessage collect = Request(kStartCollecting, 0, 0, 0, 0, 0, 0, 42);
    std::memcpy(collect.text + kJobNameOffset, "scan.rad", 8);
    std::memcpy(collect.text + kJobTitleOffset, "Title", 5);
    std::memset(collect.text + kJobSampleOffset, 'S', 80); // no NUL: 79 characters count
    EXPECT_TRUE(send(collect));

    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    EXPECT_EQ(out, "Target list:\n"
                   "  Index      X mm      Y mm     Time s\n"
                   "      0     1.500    -2.250       10.0\n"
                   "      1     3.000     4.000      900.0\n"
                   "Collect order: job \"scan.rad\", title \"Title\", sample \"" +
                       QString(79, 'S') + "\", sample number 42, 2 targets\n");
}

} // namespace
