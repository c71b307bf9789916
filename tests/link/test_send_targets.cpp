#include "base/FixedText.h"
#include "link/JobFieldCheck.h"
#include "link/PipeDirectory.h"
#include "link/TargetList.h"
#include "link/dialogs/CSendTargetsDlg.h"
#include "tests/common/ProcessEnd.h"
#include "tests/common/WithoutRootOverride.h"
#include "tests/link/FakeOrma.h"
#include "tests/link/LinkFakes.h"
#include "tests/link/SendDialogFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <thread>

namespace {

// The bytes of a record from `offset` on, as text up to its NUL (or `size` bytes).
std::string Field(const PipeBytes& bytes, std::size_t offset, std::size_t size)
{
    const char* start = reinterpret_cast<const char*>(bytes.data() + offset);
    return std::string(start, strnlen(start, size));
}

bool AllZero(const PipeBytes& bytes, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

class TargetPipeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QLatin1String(kTargetSocketName)).toStdString();
    }

    // The exchange of one message, and how long it took.
    int Exchange(CTargetPipe& pipe, qint64& ms)
    {
        QElapsedTimer timer;
        timer.start();
        PipeMessage message;
        message.code = kTargetListStart;
        const int result = pipe.Exchange(message);
        ms = timer.elapsed();
        return result;
    }

    QTemporaryDir dir;
    std::string path;
};

TEST_F(TargetPipeTest, ResultsOfEveryKindOfPeer)
{
    CTargetPipe pipe(path);
    qint64 ms = 0;
    {
        CFakeOrma orma(path, kPipeMessageSize);
        EXPECT_EQ(Exchange(pipe, ms), kPipeOk);
        EXPECT_EQ(Exchange(pipe, ms), kPipeOk);
        ASSERT_EQ(orma.Received().size(), 2u);
        EXPECT_EQ(IntAt(orma.Received()[0], 0), kTargetListStart);
    }
    // Nobody connects: the time-out of the connect, and no socket is left behind.
    EXPECT_EQ(Exchange(pipe, ms), kPipeTimeout);
    EXPECT_GE(ms, 1000);
    EXPECT_LT(ms, 3000);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    {
        CFakeOrma orma(path, 100);
        EXPECT_EQ(Exchange(pipe, ms), kPipeReadError);
    }
    {
        CFakeOrma orma(path, 289);
        EXPECT_EQ(Exchange(pipe, ms), kPipeReadError);
    }
    {
        CFakeOrma orma(path, 0);
        pipe.replyTimeoutMs = 300;
        EXPECT_EQ(Exchange(pipe, ms), kPipeNotResponding);
        EXPECT_GE(ms, 300);
        EXPECT_LT(ms, 2000);
    }
    EXPECT_EQ(CTargetPipe(dir.filePath("missing/x").toStdString()).Exchange(PipeMessage{}),
              kPipeCreationFailed);
    EXPECT_EQ(CTargetPipe("").Exchange(PipeMessage{}), kPipeCreationFailed);
}

// Two instruments of the same user at once, one in a process of its own: the one that
// took the start of a list takes every target of it; the other is refused meanwhile.
TEST_F(TargetPipeTest, AListGoesWholeToThePeerThatTookItsStart)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VESPIRA_PIPE_DIR"), dir.path());
    QProcess sim;
    sim.setProcessEnvironment(env);
    sim.start(QStringLiteral(ORMA_SIM_PATH), {QStringLiteral("targets")});
    ASSERT_TRUE(sim.waitForStarted(5000));
    sim.setReadChannel(QProcess::StandardError);
    ASSERT_TRUE(sim.waitForReadyRead(5000)); // it says it waits
    std::vector<Target> targets;
    for (int i = 0; i < 100; ++i)
        targets.push_back({i, 0.5 * i, -0.25 * i, 10.0f});
    std::vector<PipeBytes> here;
    int result = -1;
    {
        CFakeOrma orma(path, kPipeMessageSize);
        CTargetPipe pipe(path);
        CTargetSender sender(pipe);
        result = sender.SendList(targets);
        here = orma.Received();
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path))) << "closed with the last target";
    }
    // The simulator prints what it took after a pause.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    ASSERT_EQ(result, kPipeOk);
    const QStringList printed =
        QString::fromLocal8Bit(sim.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const auto there = std::count_if(printed.begin(), printed.end(), [](const QString& line) {
        return line.startsWith(QStringLiteral("Target list:")) ||
               QRegularExpression(QStringLiteral("^ +\\d+ ")).match(line).hasMatch();
    });
    if (here.empty()) {
        EXPECT_EQ(there, 101) << printed.join('\n').toStdString();
    } else {
        EXPECT_EQ(there, 0) << printed.join('\n').toStdString();
        ASSERT_EQ(here.size(), 101u);
        EXPECT_EQ(IntAt(here[0], 0), kTargetListStart);
        for (std::size_t i = 1; i < here.size(); ++i)
            EXPECT_EQ(IntAt(here[i], 28), static_cast<int>(i) - 1);
    }
}

// The message stays "Named pipe: Creation failed"; what stands in the way, with its path,
// goes to standard error.
TEST_F(TargetPipeTest, ACreationFailureSaysWhatIsInTheWayOnStandardError)
{
    const QString socket = QString::fromStdString(path);
    const auto failure = [this] {
        testing::internal::CaptureStderr();
        CTargetPipe pipe(path);
        pipe.connectTimeoutMs = 100;
        EXPECT_EQ(pipe.Exchange(PipeMessage{}), kPipeCreationFailed);
        return testing::internal::GetCapturedStderr();
    };
    {
        QFile file(socket);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    std::string err = failure();
    EXPECT_NE(err.find("vespira: cannot listen at " + path + ": it is a regular file"),
              std::string::npos)
        << err;
    ASSERT_TRUE(QFile::remove(socket));
    ASSERT_TRUE(QDir().mkdir(socket));
    err = failure();
    EXPECT_NE(err.find("cannot listen at " + path + ": it is a folder"), std::string::npos) << err;
    ASSERT_TRUE(QDir().rmdir(socket));
    ASSERT_TRUE(QFile::link(dir.filePath("elsewhere"), socket));
    err = failure();
    EXPECT_NE(err.find("cannot listen at " + path + ": it is a symbolic link"), std::string::npos)
        << err;
    ASSERT_TRUE(QFile::remove(socket));
    const QByteArray folder = QFile::encodeName(dir.path());
    ASSERT_EQ(::chmod(folder.constData(), 0500), 0);
    {
        const CWithoutRootOverride asAnyUser;
        err = failure();
    }
    ::chmod(folder.constData(), 0700);
    EXPECT_NE(err.find("cannot listen at " + path + ": Permission denied"), std::string::npos)
        << err;
}

TEST(TargetPipe, MessagesOfTheResults)
{
    EXPECT_STREQ(PipeResultMessage(kPipeTimeout), "Named pipe: Timeout exceeded");
    EXPECT_STREQ(PipeResultMessage(kPipeCreationFailed), "Named pipe: Creation failed");
    EXPECT_STREQ(PipeResultMessage(kPipeEventFailed), "Named pipe: Event creation failed");
    EXPECT_STREQ(PipeResultMessage(kPipeNotResponding),
                 "Named pipe: Client (ORMA) is not responding");
    EXPECT_STREQ(PipeResultMessage(kPipeReadError), "Named pipe: Read error");
    EXPECT_STREQ(PipeResultMessage(6), "Named pipe: Unknown error");
    EXPECT_STREQ(PipeResultMessage(-1), "Named pipe: Unknown error");
}

TEST(TargetList, LinesOfTheList)
{
    EXPECT_EQ(FormatTargetLine({0, 1.5, -2.25, 10.0f}), "0    000      1.500  -2.250        10.0");
    EXPECT_EQ(FormatTargetLine({9, 0.0, 0.0, 900.0f}), "0    009      0.000   0.000       900.0");
    EXPECT_EQ(FormatTargetLine({999, 12.3456, 100.0, 0.5f}),
              "0    999     12.346 100.000         0.5");
    // Wider numbers are never cut.
    EXPECT_EQ(FormatTargetLine({1000, -1234.5, 123456.0, 1e7f}),
              "0    1000   -1234.500123456.000  10000000.0");
}

TEST(TargetList, TargetsInRowOrderWithTheirPositions)
{
    CFakeHostUi ui;
    CTestProgram state(ui);
    CVespiraDoc doc(state);
    // 40 x 30 points, X from -1 by 0.5, Y up to 2 by 0.25.
    ASSERT_TRUE(doc.SetUpGrid({40, 30, -1.0f, 18.5f, 0.5f, -5.25f, 2.0f, 0.25f}));
    auto set = [&](int col, int row, float t) { doc.m_pScanTime[doc.IndexOf(col, row)] = t; };
    set(5, 2, 30.0f);
    set(1, 0, 900.0f);
    set(39, 29, 1.0f);
    set(0, 2, -4.0f); // any time but 0 is a target
    const std::vector<Target> targets = ListTargets(doc);
    ASSERT_EQ(targets.size(), 4u);
    EXPECT_EQ(targets[0].index, 0);
    EXPECT_DOUBLE_EQ(targets[0].x, -0.5);
    EXPECT_DOUBLE_EQ(targets[0].y, 2.0);
    EXPECT_EQ(targets[1].time, -4.0f);
    EXPECT_DOUBLE_EQ(targets[2].x, 1.5);
    EXPECT_DOUBLE_EQ(targets[2].y, 1.5);
    EXPECT_EQ(targets[3].index, 3);
    EXPECT_EQ(TargetListText(targets).substr(0, 40), FormatTargetLine(targets[0]) + '\n');

    // Indices past 999 keep counting.
    std::fill(doc.m_pScanTime.begin(), doc.m_pScanTime.end(), 5.0f);
    const std::vector<Target> all = ListTargets(doc);
    ASSERT_EQ(all.size(), 1200u);
    EXPECT_EQ(FormatTargetLine(all[1000]).substr(0, 12), "0    1000   ");
    EXPECT_EQ(FormatTargetLine(all[999]).substr(0, 11), "0    999   ");

    CVespiraDoc empty(state);
    EXPECT_TRUE(ListTargets(empty).empty());
}

TEST(TargetList, SampleNumberAndJobFields)
{
    EXPECT_EQ(SampleNumberOf(""), 0);
    EXPECT_EQ(SampleNumberOf("abc"), 0);
    EXPECT_EQ(SampleNumberOf(" 12"), 0);
    EXPECT_EQ(SampleNumberOf("-12"), 0);
    EXPECT_EQ(SampleNumberOf("0042x7"), 42);
    EXPECT_EQ(SampleNumberOf("2147483647"), 2147483647);
    EXPECT_EQ(SampleNumberOf("99999999999999999999"), 2147483647);
    // Only the first 15 characters count.
    EXPECT_EQ(SampleNumberOf("00000000000001234"), 12);

    char field[80];
    SetJobText(field, QString(100, QLatin1Char('j')));
    EXPECT_EQ(std::string(field), std::string(79, 'j'));
    SetJobText(field, QStringLiteral("scan.rad"));
    EXPECT_STREQ(field, "scan.rad");
    // 78 letters and a two-byte character: the character does not fit whole.
    SetJobText(field, QString(78, QLatin1Char('a')) + QChar(0xE9));
    EXPECT_EQ(std::string(field), std::string(78, 'a'));
}

class SendTargetsTest : public SendDialogFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SetUpPattern({4, 3, 0.0f, 1.5f, 0.5f, 0.0f, 1.0f, 0.5f}));
        doc->m_pScanTime[doc->IndexOf(1, 0)] = 900.0f;
        doc->m_pScanTime[doc->IndexOf(3, 2)] = 12.5f;
    }

    QLineEdit* Edit(CSendTargetsDlg& dlg, const char* name)
    {
        return dlg.findChild<QLineEdit*>(QLatin1String(name));
    }
};

TEST_F(SendTargetsTest, SendThenCollectSendsExactlyTheseRecords)
{
    CopyText(state.job.szJobName, "ORMA1");
    CopyText(state.job.szTitle, "old title");
    state.job.nSampleNumber = 7;
    CSendTargetsDlg dlg(*doc, state.job, state.services.ui);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Send targets to ORMA / Start collecting targets"));
    EXPECT_EQ(dlg.findChild<QPlainTextEdit*>("targetList")->toPlainText(),
              QStringLiteral("0    000      0.500   1.000       900.0\n"
                             "0    001      1.500   0.000        12.5"));
    EXPECT_EQ(Edit(dlg, "jobName")->text(), QStringLiteral("ORMA1"));
    EXPECT_EQ(Edit(dlg, "title")->text(), QStringLiteral("old title"));
    EXPECT_EQ(Edit(dlg, "sampleNumber")->text(), QStringLiteral("7"));
    EXPECT_TRUE(Button(dlg, "send")->isDefault());
    EXPECT_FALSE(Button(dlg, "collect")->isEnabled());
    EXPECT_FALSE(Edit(dlg, "title")->isEnabled());

    CFakeOrma orma(path, kPipeMessageSize);
    Button(dlg, "send")->click();
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join("|").toStdString();
    ASSERT_TRUE(dlg.IsCollecting());
    EXPECT_FALSE(Button(dlg, "send")->isEnabled());
    EXPECT_TRUE(Button(dlg, "collect")->isEnabled());
    EXPECT_TRUE(Button(dlg, "collect")->isDefault());
    EXPECT_FALSE(Button(dlg, "send")->isDefault());
    for (const char* edit : {"jobName", "title", "sample", "sampleNumber"})
        EXPECT_TRUE(Edit(dlg, edit)->isEnabled()) << edit;

    // What cannot be sent as typed is refused, never cut.
    Edit(dlg, "jobName")->setText(QString(85, QLatin1Char('J')));
    Edit(dlg, "title")->setText(QStringLiteral("Line scan"));
    Edit(dlg, "sample")->setText(QStringLiteral("Bone 3"));
    Edit(dlg, "sampleNumber")->setText(QStringLiteral("314x"));
    Button(dlg, "collect")->click();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral(
                               "Jobname is too long to send: 85 bytes in UTF-8, at most 79.")});
    Edit(dlg, "jobName")->setText(QString(79, QLatin1Char('J')));
    Button(dlg, "collect")->click();
    EXPECT_EQ(ui.messages.value(1),
              QStringLiteral("Sample Number must be a whole number from 0 to 2147483647."));
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(orma.Received().size(), 3u) << "nothing was sent for a refused Collect";
    ui.messages.clear();
    Edit(dlg, "sampleNumber")->setText(QStringLiteral("314"));
    Button(dlg, "collect")->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(ui.messages.isEmpty());

    const std::vector<PipeBytes> got = orma.Received();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(IntAt(got[0], 0), 17);
    EXPECT_TRUE(AllZero(got[0], 4, 288));
    for (int i = 0; i < 2; ++i) {
        const PipeBytes& m = got[1 + i];
        EXPECT_EQ(IntAt(m, 0), 18);
        EXPECT_EQ(FloatAt(m, 4), i == 0 ? 0.5f : 1.5f);
        EXPECT_EQ(FloatAt(m, 8), i == 0 ? 1.0f : 0.0f);
        EXPECT_EQ(FloatAt(m, 12), i == 0 ? 900.0f : 12.5f);
        EXPECT_TRUE(AllZero(m, 16, 28));
        EXPECT_EQ(IntAt(m, 28), i);
        EXPECT_TRUE(AllZero(m, 32, 288));
    }
    const PipeBytes& collect = got[3];
    EXPECT_EQ(IntAt(collect, 0), 20);
    EXPECT_TRUE(AllZero(collect, 4, 28));
    EXPECT_EQ(IntAt(collect, 28), 314);
    EXPECT_EQ(Field(collect, 32, 80), std::string(79, 'J'));
    EXPECT_EQ(Field(collect, 112, 80), "Line scan");
    EXPECT_EQ(Field(collect, 192, 80), "Bone 3");
    EXPECT_TRUE(AllZero(collect, 272, 288));
    // The fields stay for the next opening.
    EXPECT_STREQ(state.job.szTitle, "Line scan");
    EXPECT_STREQ(state.job.szSampleName, "Bone 3");
    EXPECT_EQ(state.job.nSampleNumber, 314);
}

TEST(JobFieldCheck, TextsBeyond79BytesAndNumbersBeyond32BitsAreRefused)
{
    EXPECT_EQ(JobTextProblem(QStringLiteral("Title"), QString(79, QLatin1Char('a'))), std::nullopt);
    EXPECT_EQ(JobTextProblem(QStringLiteral("Title"), QString()), std::nullopt);
    // 78 letters and a two-byte character: 79 characters but 80 bytes.
    EXPECT_EQ(JobTextProblem(QStringLiteral("Title"), QString(78, QLatin1Char('a')) + QChar(0xE9)),
              QStringLiteral("Title is too long to send: 80 bytes in UTF-8, at most 79."));
    EXPECT_EQ(JobTextProblem(QStringLiteral("Sample"), QString(39, QChar(0xE9))), std::nullopt);

    EXPECT_EQ(SampleNumberOfField(QString()), 0);
    EXPECT_EQ(SampleNumberOfField(QStringLiteral("0042")), 42);
    EXPECT_EQ(SampleNumberOfField(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(SampleNumberOfField(QStringLiteral("0000000000000000000002147483647")), 2147483647);
    for (const char* bad : {"2147483648", "99999999999999999999", "-1", " 12", "12x", "1.5"})
        EXPECT_EQ(SampleNumberOfField(QString::fromLatin1(bad)), std::nullopt) << bad;
}

TEST_F(SendTargetsTest, APasteIsNeverCutAndTheFieldNamesWhatWasRefused)
{
    CSendTargetsDlg dlg(*doc, state.job, state.services.ui);
    CFakeOrma orma(path, kPipeMessageSize);
    Button(dlg, "send")->click();
    ASSERT_TRUE(dlg.IsCollecting());
    // A paste of 20 nines reaches the field whole and is refused as a whole.
    QLineEdit* number = Edit(dlg, "sampleNumber");
    number->selectAll();
    number->insert(QString(20, QLatin1Char('9')));
    EXPECT_EQ(number->text(), QString(20, QLatin1Char('9')));
    QLineEdit* title = Edit(dlg, "title");
    title->insert(QString(78, QLatin1Char('t')) + QChar(0xE9));
    EXPECT_EQ(title->text().size(), 79);

    Button(dlg, "collect")->click();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral(
                               "Title is too long to send: 80 bytes in UTF-8, at most 79.")});
    title->setText(QString(78, QLatin1Char('t')));
    Button(dlg, "collect")->click();
    EXPECT_EQ(ui.messages.value(1),
              QStringLiteral("Sample Number must be a whole number from 0 to 2147483647."));
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(state.job.nSampleNumber, 0) << "a refused Collect keeps the job fields";
    EXPECT_STREQ(state.job.szTitle, "");
    EXPECT_EQ(orma.Received().size(), 3u);
}

TEST_F(SendTargetsTest, FailedSendStaysInItsPhaseAndStartsOverNextTime)
{
    CSendTargetsDlg dlg(*doc, state.job, state.services.ui);
    QElapsedTimer timer;
    timer.start();
    Button(dlg, "send")->click();
    EXPECT_GE(timer.elapsed(), 1000);
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Named pipe: Timeout exceeded\n"
                                                      "Targets sent: 0 of 2.")});
    EXPECT_FALSE(dlg.IsCollecting());
    EXPECT_TRUE(Button(dlg, "send")->isEnabled());
    EXPECT_FALSE(Button(dlg, "collect")->isEnabled());

    {
        // A short reply stops the list at once.
        CFakeOrma orma(path, 100);
        ui.messages.clear();
        Button(dlg, "send")->click();
        EXPECT_EQ(ui.messages,
                  QStringList{QStringLiteral("Named pipe: Read error\nTargets sent: 0 of 2.")});
        EXPECT_EQ(orma.Received().size(), 1u);
        EXPECT_FALSE(dlg.IsCollecting());
    }
    // Nothing listens after a failure, not even for the message that would have come next.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    {
        // The next Send starts over from the start message.
        CFakeOrma orma(path, kPipeMessageSize);
        Button(dlg, "send")->click();
        ASSERT_TRUE(dlg.IsCollecting());
        ASSERT_EQ(orma.Received().size(), 3u);
        EXPECT_EQ(IntAt(orma.Received()[0], 0), 17);
    }
    // Collect without ORMA: the message, and the dialog stays open in its phase.
    ui.messages.clear();
    Edit(dlg, "sampleNumber")->setText(QString());
    Button(dlg, "collect")->click();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Named pipe: Timeout exceeded")});
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(dlg.IsCollecting());
    EXPECT_EQ(state.job.nSampleNumber, 0);
}

TEST_F(SendTargetsTest, WithoutTargetsSendSendsOnlyTheStart)
{
    std::fill(doc->m_pScanTime.begin(), doc->m_pScanTime.end(), 0.0f);
    CSendTargetsDlg dlg(*doc, state.job, state.services.ui);
    EXPECT_TRUE(dlg.findChild<QPlainTextEdit*>("targetList")->toPlainText().isEmpty());
    CFakeOrma orma(path, kPipeMessageSize);
    Button(dlg, "send")->click();
    EXPECT_TRUE(dlg.IsCollecting());
    ASSERT_EQ(orma.Received().size(), 1u);
    EXPECT_EQ(IntAt(orma.Received()[0], 0), 17);
}

} // namespace

namespace {

// The dialog against the simulator: what it prints is exactly the list and the order.
TEST_F(SendTargetsTest, OrmaSimPrintsExactlyTheTargetsAndTheCollectOrder)
{
    QProcess sim;
    sim.setReadChannel(QProcess::StandardError);
    sim.start(QStringLiteral(ORMA_SIM_PATH), {"targets", "--once"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(sim.waitForReadyRead(5000)); // it watches the pipe directory now

    CopyText(state.job.szJobName, "ORMA7");
    CSendTargetsDlg dlg(*doc, state.job, state.services.ui);
    Button(dlg, "send")->click();
    Edit(dlg, "sample")->setText(QStringLiteral("Bone"));
    Edit(dlg, "sampleNumber")->setText(QStringLiteral("5"));
    Button(dlg, "collect")->click();
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join("|").toStdString();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);

    ASSERT_TRUE(HasEnded(sim, 5000));
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_EQ(QString::fromLocal8Bit(sim.readAllStandardOutput()),
              QStringLiteral("Target list:\n"
                             "  Index      X mm      Y mm     Time s\n"
                             "      0     0.500     1.000      900.0\n"
                             "      1     1.500     0.000       12.5\n"
                             "Collect order: job \"ORMA7\", title \"\", sample \"Bone\", sample "
                             "number 5, 2 targets\n"));
}

} // namespace
