#include "link/CPipeListener.h"
#include "link/PipeDirectory.h"
#include "link/dialogs/CSendTargetsDlg.h"
#include "tests/link/CheckPipeProbe.h"
#include "tests/link/FakeOrma.h"
#include "tests/link/LinkFakes.h"
#include "tests/link/SendDialogFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>

namespace {

using std::chrono::milliseconds;

// A Send as the user makes it, with the remote command socket's listener running as in
// the program and the instrument asking CHECKPIPE on it throughout.
class SendProgressTest : public SendDialogFixture
{
protected:
    void SetUp() override { SetUpPattern({50, 40, 0.0f, 49.0f, 1.0f, 0.0f, 39.0f, 1.0f}); }

    void MarkTargets(int count, float time = 5.0f)
    {
        for (int i = 0; i < count; ++i)
            doc->m_pScanTime[static_cast<std::size_t>(i)] = time;
        doc->RecountSelection();
    }
    // Runs `action` on the event loop `ms` after now, as a user's click would come.
    void At(int ms, std::function<void()> action)
    {
        QTimer::singleShot(ms, Qt::PreciseTimer, std::move(action));
    }
    static QProgressDialog* Progress(CSendTargetsDlg& dlg)
    {
        return dlg.findChild<QProgressDialog*>(QStringLiteral("sendProgress"));
    }
    static QString ListText(CSendTargetsDlg& dlg)
    {
        return dlg.findChild<QPlainTextEdit*>(QStringLiteral("targetList"))->toPlainText();
    }
};

// 30 targets at 80 ms each: the command socket is answered all along, the progress shows
// from one second on and counts the targets, and the list arrives whole.
TEST_F(SendProgressTest, TheCommandSocketIsAnsweredAndProgressShownDuringALongSend)
{
    const std::string command = dir.filePath(QStringLiteral("cmd")).toStdString();
    CPipeListener listener(command, [](const PipeMessage&) { return 0; });
    listener.Start();
    CCheckPipeProbe probe(command);
    ASSERT_TRUE(probe.IsListening());
    ASSERT_TRUE(PumpUntil([&] { return probe.Answers() >= 2; }, 5000));
    probe.Restart();

    MarkTargets(30);
    CSendTargetsDlg dlg(*doc, state.job, state.services.ui);
    CFakeOrma orma(path, kPipeMessageSize, milliseconds(80));
    bool shownEarly = true;
    bool sendDisabled = false;
    QString label;
    int width = 0;
    At(700, [&] {
        shownEarly = Progress(dlg) != nullptr && Progress(dlg)->isVisible();
        sendDisabled = !Button(dlg, "send")->isEnabled() && !Button(dlg, "cancel")->isEnabled();
    });
    At(1500, [&] {
        if (Progress(dlg) != nullptr && Progress(dlg)->isVisible()) {
            label = Progress(dlg)->labelText();
            width = Progress(dlg)->width();
        }
    });
    QElapsedTimer timer;
    timer.start();
    Button(dlg, "send")->click();
    const qint64 ms = timer.elapsed();

    EXPECT_GE(ms, 2000);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join("|").toStdString();
    EXPECT_TRUE(dlg.IsCollecting());
    EXPECT_EQ(orma.Received().size(), 31u);
    EXPECT_FALSE(shownEarly) << "the progress appears only after a second";
    EXPECT_TRUE(sendDisabled) << "no second Send and no close while one is under way";
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Sending target (1[5-9]|2[0-9]) of 30$"))
                    .match(label)
                    .hasMatch())
        << label.toStdString();
    EXPECT_GT(width, dlg.fontMetrics().horizontalAdvance(dlg.windowTitle()))
        << "the caption is not cut in the title bar";
    EXPECT_EQ(Progress(dlg), nullptr) << "the progress goes with the send";
    EXPECT_EQ(ui.statusText, QStringLiteral("Targets sent to ORMA: 30."));
    EXPECT_EQ(probe.Failures(), 0);
    EXPECT_GE(probe.Answers(), static_cast<int>(ms / 100)) << "answered throughout";
    EXPECT_LT(probe.WorstMs(), 500.0);
}

// Cancel in the progress stops after the message under way: ORMA has the start and a run
// of the targets, the message says how many, and the next Send starts over.
TEST_F(SendProgressTest, CancelStopsAfterTheCurrentMessageAndSaysHowManyWereSent)
{
    MarkTargets(1500, 2.5f);
    CSendTargetsDlg dlg(*doc, state.job, state.services.ui);
    QString label;
    {
        CFakeOrma orma(path, kPipeMessageSize, milliseconds(2));
        At(1300, [&] {
            ASSERT_NE(Progress(dlg), nullptr);
            label = Progress(dlg)->labelText();
            auto* cancel = Progress(dlg)->findChild<QPushButton*>();
            ASSERT_NE(cancel, nullptr);
            cancel->click();
        });
        Button(dlg, "send")->click();
        const std::vector<PipeBytes> got = orma.Received();
        ASSERT_GE(got.size(), 2u);
        ASSERT_LT(got.size(), 1501u);
        const int sent = static_cast<int>(got.size()) - 1;
        EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Sending was cancelled after the current "
                                                          "message.\nTargets sent: %1 of 1,500.")
                                               .arg(sent)});
        EXPECT_EQ(IntAt(got.back(), 0), kTarget);
        EXPECT_EQ(IntAt(got.back(), 28), sent - 1);
    }
    // Numbers grouped as in the rest of the program, whatever the locale.
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Sending target ([1-9][0-9]{0,2}|1,[0-9]{3}) of 1,500$"))
            .match(label)
            .hasMatch())
        << label.toStdString();
    EXPECT_FALSE(dlg.IsCollecting());
    EXPECT_TRUE(Button(dlg, "send")->isEnabled());
    // Nothing listens for the rest of the cancelled list.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));

    ui.messages.clear();
    CFakeOrma orma(path, kPipeMessageSize);
    Button(dlg, "send")->click();
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join("|").toStdString();
    EXPECT_TRUE(dlg.IsCollecting());
    ASSERT_EQ(orma.Received().size(), 1501u);
    EXPECT_EQ(IntAt(orma.Received()[0], 0), kTargetListStart);
}

// A peer that takes a message and never answers holds the send for the reply bound, no
// longer, and the window runs meanwhile; the message names the bound and the count.
TEST_F(SendProgressTest, ASilentPeerIsBoundedAndTheWindowRunsMeanwhile)
{
    const std::string command = dir.filePath(QStringLiteral("cmd")).toStdString();
    CPipeListener listener(command, [](const PipeMessage&) { return 0; });
    listener.Start();
    CCheckPipeProbe probe(command);
    ASSERT_TRUE(PumpUntil([&] { return probe.Answers() >= 2; }, 5000));
    probe.Restart();

    MarkTargets(3);
    CSendTargetsDlg dlg(*doc, state.job, state.services.ui);
    dlg.Pipe().replyTimeoutMs = 1500;
    CFakeOrma orma(path, 0);
    QElapsedTimer timer;
    timer.start();
    Button(dlg, "send")->click();
    const qint64 ms = timer.elapsed();
    EXPECT_GE(ms, 1500);
    EXPECT_LT(ms, 4000);
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral(
                               "Named pipe: Client (ORMA) is not responding\nORMA did not answer "
                               "within 1.5 s, so sending stopped. Targets sent: 0 of 3.")});
    EXPECT_FALSE(dlg.IsCollecting());
    EXPECT_EQ(orma.Received().size(), 1u);
    EXPECT_GE(probe.Answers(), 10);
    EXPECT_LT(probe.WorstMs(), 500.0);
}

// The list follows its pattern while the dialog is open: a load gives a new grid and new
// targets, an edit new targets; what is sent is always what the pattern holds now.
TEST_F(SendProgressTest, TheListFollowsItsPatternAndNeverSendsAStaleOne)
{
    doc->m_pScanTime[static_cast<std::size_t>(doc->IndexOf(49, 39))] = 7.0f;
    doc->RecountSelection();
    CSendTargetsDlg dlg(*doc, state.job, state.services.ui);
    EXPECT_EQ(ListText(dlg), QStringLiteral("0    000     49.000   0.000         7.0"));

    // Another pattern, saved and then loaded into this one as LOADIMAGE does.
    CVespiraDoc other(state);
    ASSERT_TRUE(other.SetUpGrid({3, 2, 10.0f, 12.0f, 1.0f, -1.0f, 0.0f, 1.0f}));
    other.m_pScanTime[static_cast<std::size_t>(other.IndexOf(2, 1))] = 30.0f;
    other.RecountSelection();
    const QByteArray file = QFile::encodeName(dir.filePath(QStringLiteral("other.rad")));
    ASSERT_TRUE(other.OnSaveDocument(file));
    ASSERT_TRUE(doc->OnOpenDocument(file));
    PumpFor(20);
    EXPECT_EQ(ListText(dlg), QStringLiteral("0    000     12.000  -1.000        30.0"));
    auto* note = dlg.findChild<QLabel*>(QStringLiteral("listNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(note->isHidden());
    EXPECT_EQ(note->text(), QStringLiteral("The list was made anew: the pattern has a new grid."));
    {
        CFakeOrma orma(path, kPipeMessageSize);
        Button(dlg, "send")->click();
        EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join("|").toStdString();
        ASSERT_EQ(orma.Received().size(), 2u);
        EXPECT_EQ(FloatAt(orma.Received()[1], 4), 12.0f);
        EXPECT_EQ(FloatAt(orma.Received()[1], 8), -1.0f);
    }
    ASSERT_TRUE(dlg.IsCollecting());

    // Targets edited after the Send: ORMA holds a list that is not the pattern's, so
    // Collect is refused and Send is back.
    doc->SetScanTime(0, 0, 4.0f);
    CFakeOrma orma(path, kPipeMessageSize);
    Button(dlg, "collect")->click();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral(
                               "Nothing was sent: the targets of the pattern were changed "
                               "since the list was made.\nThe list now shows the "
                               "pattern's targets as they are; Send sends these.")});
    EXPECT_TRUE(orma.Received().empty());
    EXPECT_FALSE(dlg.IsCollecting());
    EXPECT_TRUE(Button(dlg, "send")->isEnabled());
    EXPECT_FALSE(Button(dlg, "collect")->isEnabled());
    EXPECT_EQ(ListText(dlg), QStringLiteral("0    000     10.000   0.000         4.0\n"
                                            "0    001     12.000  -1.000        30.0"));

    // An edit while the dialog waits for Send: refused once, with the list made anew.
    ui.messages.clear();
    doc->SetScanTime(1, 0, 0.5f);
    Button(dlg, "send")->click();
    EXPECT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(orma.Received().empty());
    EXPECT_EQ(ListText(dlg).count(QLatin1Char('\n')), 2);
    Button(dlg, "send")->click();
    EXPECT_EQ(orma.Received().size(), 4u);
    EXPECT_TRUE(dlg.IsCollecting());
    EXPECT_EQ(ui.statusText, QStringLiteral("Targets sent to ORMA: 3."));

    // A Collect that went out says so in the status bar.
    dlg.findChild<QLineEdit*>(QStringLiteral("jobName"))->setText(QStringLiteral("Bone 7"));
    Button(dlg, "collect")->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(orma.Received().size(), 5u);
    EXPECT_EQ(IntAt(orma.Received()[4], 0), kStartCollecting);
    EXPECT_EQ(ui.statusText,
              QStringLiteral("Collect order sent to ORMA: 3 targets, job \"Bone 7\"."));
}

// What is sent is the list as it was when Send was pressed: a change or the close of the
// pattern during the send neither reaches the list under way nor lets a stale one be
// collected, and nothing touches the pattern once it is gone.
TEST_F(SendProgressTest, TheSendTakesASnapshotAndSurvivesThePatternsClose)
{
    MarkTargets(20);
    CSendTargetsDlg dlg(*doc, state.job, state.services.ui);
    {
        CFakeOrma orma(path, kPipeMessageSize, milliseconds(30));
        At(200, [&] {
            ASSERT_TRUE(doc->SetUpGrid({2, 2, 100.0f, 101.0f, 1.0f, 0.0f, 1.0f, 1.0f}));
            doc->SetScanTime(1, 1, 9.0f);
        });
        Button(dlg, "send")->click();
        const std::vector<PipeBytes> got = orma.Received();
        ASSERT_EQ(got.size(), 21u);
        for (std::size_t i = 1; i < got.size(); ++i) {
            EXPECT_EQ(FloatAt(got[i], 4), static_cast<float>(i - 1)) << i;
            EXPECT_EQ(FloatAt(got[i], 8), 39.0f) << i;
        }
    }
    EXPECT_EQ(ui.messages,
              QStringList{QStringLiteral("The targets were sent, but the pattern has a new grid "
                                         "while they were sent.\nThe list now shows the pattern's "
                                         "targets as they are; send these before Collect.")});
    EXPECT_FALSE(dlg.IsCollecting());
    EXPECT_EQ(ListText(dlg), QStringLiteral("0    000    101.000   0.000         9.0"));

    ui.messages.clear();
    MarkTargets(4);
    {
        CFakeOrma orma(path, kPipeMessageSize, milliseconds(60));
        At(150, [&] {
            doc->OnCloseDocument();
            doc.reset();
        });
        Button(dlg, "send")->click();
        EXPECT_EQ(ui.messages.value(0), QStringLiteral("Nothing was sent: the targets of the "
                                                       "pattern were changed since the list was "
                                                       "made.\nThe list now shows the pattern's "
                                                       "targets as they are; Send sends these."));
        ui.messages.clear();
        Button(dlg, "send")->click();
        EXPECT_EQ(orma.Received().size(), 5u) << "the list under way goes out whole";
    }
    EXPECT_EQ(doc, nullptr);
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral(
                               "The targets were sent, but the pattern was closed while they were "
                               "sent.\nThe list now shows the pattern's targets as they are; send "
                               "these before Collect.")});
    EXPECT_FALSE(dlg.IsCollecting());
    EXPECT_TRUE(ListText(dlg).isEmpty());
    ui.messages.clear();
    Button(dlg, "send")->click();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral(
                               "Nothing was sent: the pattern of this list was closed.")});
}

} // namespace
