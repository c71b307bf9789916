#include "app/CRecoveryDlg.h"
#include "app/CScanRecovery.h"
#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "journal/CScanJournal.h"
#include "journal/ScanJournalFormat.h"
#include "link/CRemoteCommandHandler.h"
#include "link/PipeMessage.h"
#include "tests/app/ShellFixture.h"
#include "tests/common/ProcessEnd.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QTableWidget>

#include <csignal>
#include <random>

namespace {

PipeMessage Message(std::int32_t code, float p1 = 0, float p2 = 0, std::int32_t value = 0)
{
    PipeMessage m;
    m.code = code;
    m.param1 = p1;
    m.param2 = p2;
    m.intParam = value;
    return m;
}

PipeMessage NewImage(float end)
{
    PipeMessage m = Message(kNewImage, 0.0f, end);
    m.param3 = 1.0f;
    m.param5 = end;
    m.param6 = 1.0f;
    return m;
}

// A program with a journal in a temporary state folder, driven as the instrument does.
class ScanRecoveryTest : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        state.services.scanJournal = journal.get();
        handler = std::make_unique<CRemoteCommandHandler>(state.services, state.view, *frame);
    }
    void TearDown() override
    {
        docs.CloseAllDocuments();
        ShellTest::TearDown();
    }

    QStringList JournalFiles() const
    {
        return QDir(folder).entryList({QStringLiteral("*.journal")}, QDir::Files);
    }

    // A 3 x 2 scan of which four points arrive, left behind as by a program that died.
    void LeaveUnfinishedScan(const QString& title)
    {
        CFakeHostUi otherUi;
        CTestProgram other(otherUi);
        CScanJournal otherJournal(otherUi, folder);
        other.liveScan.SetPendingGrid(ScanGrid{3, 2, 0.0f, 2.0f, 1.0f, 0.0f, 1.0f, 1.0f});
        CVespiraDoc doc(other);
        ASSERT_TRUE(doc.OnNewDocument());
        doc.SetTitle(title);
        otherJournal.ScanStarted(doc);
        doc.m_nKV = 45;
        otherJournal.HeaderChanged(doc);
        for (int i = 0; i < 4; ++i)
            otherJournal.PointStored(doc, i % 3, i / 3, 100 + i);
    }

    QString folder = TempPath(QStringLiteral("state/vespira"));
    std::unique_ptr<CScanJournal> journal = std::make_unique<CScanJournal>(ui, folder);
    std::unique_ptr<CRemoteCommandHandler> handler;
};

TEST_F(ScanRecoveryTest, AScanKeepsItsJournalUntilSavedAfterItsEnd)
{
    handler->Handle(NewImage(2.0f));
    handler->Handle(Message(kNewPoint, 1.0f, 2.0f, 77));
    ASSERT_EQ(JournalFiles().size(), 1);
    handler->Handle(Message(kEndCollect));
    PipeMessage save = Message(kSaveImage);
    SetPipeText(save, TempPath(QStringLiteral("scan.rad")).toLocal8Bit().constData());
    handler->Handle(save);
    EXPECT_TRUE(JournalFiles().isEmpty());
    ASSERT_NE(state.liveScan.Document(), nullptr);
    EXPECT_EQ(state.liveScan.Document()->m_pIntensity[1], 77);

    // Closed mid-scan through the document manager, after both questions: gone too.
    handler->Handle(NewImage(2.0f));
    handler->Handle(Message(kNewPoint, 0.0f, 2.0f, 5));
    ASSERT_EQ(JournalFiles().size(), 1);
    ui.answers << IHostUi::Answer::Cancel;
    EXPECT_FALSE(docs.OnFileClose(state.liveScan.Document()));
    EXPECT_EQ(JournalFiles().size(), 1);
    ui.answers << IHostUi::Answer::Ok << IHostUi::Answer::No;
    EXPECT_TRUE(docs.OnFileClose(state.liveScan.Document()));
    EXPECT_TRUE(JournalFiles().isEmpty());
    EXPECT_TRUE(ui.notices.isEmpty());
}

TEST_F(ScanRecoveryTest, TheJournalKeepsTheHeaderTheInstrumentSent)
{
    handler->Handle(NewImage(2.0f));
    PipeMessage measurement = Message(kMeasurementParameters, 30.0f, 44.6f, 7);
    measurement.param3 = 19.5f;
    measurement.param4 = 0.25f;
    measurement.param5 = 1.5f;
    measurement.param6 = -2.0f;
    handler->Handle(measurement);
    PipeMessage background = Message(kBackgroundParameters, 3.0f, 4.0f, 0);
    background.param3 = 40.0f;
    background.param4 = 25.4f;
    background.param5 = 600.0f;
    SetPipeText(background, "bg.rad");
    handler->Handle(background);
    handler->Handle(Message(kNewPoint, 1.0f, 2.0f, 77));
    ASSERT_EQ(JournalFiles().size(), 1);

    // What a restart would restore, read from the file the scan left.
    QFile file(QDir(folder).filePath(JournalFiles().constFirst()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(std::string_view(text.constData(), text.size()), contents),
              JournalReadResult::Ok);
    const MeasurementHeader& h = contents.header;
    EXPECT_EQ(h.measTime, 30.0f);
    EXPECT_EQ(h.kV, 45);
    EXPECT_EQ(h.mA, 20);
    EXPECT_EQ(h.detDistance, 0.25f);
    EXPECT_EQ(h.beamX, 1.5f);
    EXPECT_EQ(h.beamY, -2.0f);
    EXPECT_EQ(h.imageSize, 7);
    EXPECT_EQ(h.backgroundFile, "bg.rad");
    EXPECT_EQ(h.backgroundX, 3.0f);
    EXPECT_EQ(h.backgroundY, 4.0f);
    EXPECT_EQ(h.backgroundKV, 40);
    EXPECT_EQ(h.backgroundMA, 25);
    EXPECT_EQ(h.backgroundTime, 600.0f);
}

TEST_F(ScanRecoveryTest, AFileLoadedDuringAScanIsKeptUnderTheScansOwnTitle)
{
    handler->Handle(NewImage(2.0f));
    handler->Handle(Message(kNewPoint, 1.0f, 2.0f, 77));
    PipeMessage load = Message(kLoadImage);
    SetPipeText(load, VESPIRA_EXAMPLES "/small.rad");
    handler->Handle(load);
    handler->Handle(Message(kNewPoint, 0.0f, 1.0f, 5));
    ASSERT_NE(state.liveScan.Document(), nullptr);
    const auto expected = state.liveScan.Document()->m_pIntensity;
    ASSERT_EQ(expected.size(), 15u);

    QFile file(QString::fromStdString(journal->PathOf(*state.liveScan.Document())));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(file.readAll().toStdString(), contents), JournalReadResult::Ok);
    EXPECT_EQ(contents.title, "ORMA1");
    CVespiraDoc restored(state);
    ASSERT_TRUE(RestoreScanJournal(contents, restored));
    EXPECT_EQ(restored.m_pIntensity, expected);
    EXPECT_EQ(restored.m_pIntensity[0], 5);
}

TEST_F(ScanRecoveryTest, RestoreOpensEachScanAsANewModifiedPatternBesideTheActiveOne)
{
    LeaveUnfinishedScan(QStringLiteral("ORMA3"));
    CVespiraDoc* active = docs.OnFileNew();
    ASSERT_NE(active, nullptr);
    QStringList row;
    ui.dialogHandler = [&row](QDialog& dialog) {
        auto* list = qobject_cast<CRecoveryDlg*>(&dialog);
        if (list == nullptr || list->Table()->rowCount() != 1)
            return int(QDialog::Rejected);
        for (int column = 0; column < list->Table()->columnCount() - 1; ++column)
            row << list->Table()->item(0, column)->text();
        return int(QDialog::Accepted); // each row says Restore unless changed
    };
    const std::vector<CVespiraDoc*> restored =
        OfferUnfinishedScans(*journal, docs, state, ui, std::nullopt);

    ASSERT_EQ(ui.dialogCount, 1);
    ASSERT_EQ(row.size(), 5);
    EXPECT_EQ(row[CRecoveryDlg::kTitle], "ORMA3");
    EXPECT_EQ(row[CRecoveryDlg::kGrid], "3 x 2");
    EXPECT_EQ(row[CRecoveryDlg::kPoints], "4 of 6");
    EXPECT_TRUE(row[CRecoveryDlg::kBegun].endsWith(" UTC"))
        << row[CRecoveryDlg::kBegun].toStdString();
    EXPECT_TRUE(row[CRecoveryDlg::kNote].isEmpty());
    EXPECT_TRUE(ui.messages.isEmpty());
    ASSERT_EQ(restored.size(), 1u);
    CVespiraDoc* doc = restored[0];
    EXPECT_EQ(doc->GetTitle(), "ORMA3");
    EXPECT_EQ(doc->m_pIntensity, (GridArray<std::int32_t>{100, 101, 102, 103, 0, 0}));
    EXPECT_EQ(doc->m_nKV, 45);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(doc->GetPathName().isEmpty());
    EXPECT_EQ(state.liveScan.Document(), active);
    EXPECT_EQ(docs.FramesOf(doc).size(), 1);
    // The next new pattern does not repeat the restored title.
    CVespiraDoc* next = docs.OnFileNew();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetTitle(), "ORMA4");

    // Until it is saved the restored scan still has its journal.
    EXPECT_EQ(JournalFiles().size(), 1);
    saveAnswers << TempPath(QStringLiteral("restored.rad"));
    ASSERT_TRUE(docs.DoFileSave(doc));
    EXPECT_TRUE(JournalFiles().isEmpty());
}

// Each scan has its own choice: one restored, one discarded, one left for later.
TEST_F(ScanRecoveryTest, EachScanIsRestoredDiscardedOrKeptAsItsOwnRowSays)
{
    LeaveUnfinishedScan(QStringLiteral("ORMA1"));
    LeaveUnfinishedScan(QStringLiteral("ORMA2"));
    LeaveUnfinishedScan(QStringLiteral("ORMA3"));
    ASSERT_EQ(JournalFiles().size(), 3);
    QStringList titles;
    ui.dialogHandler = [&titles](QDialog& dialog) {
        auto* list = qobject_cast<CRecoveryDlg*>(&dialog);
        if (list == nullptr)
            return int(QDialog::Rejected);
        for (int row = 0; row < list->Table()->rowCount(); ++row)
            titles << list->Table()->item(row, CRecoveryDlg::kTitle)->text();
        list->SetChoice(titles.indexOf("ORMA1"), RecoveryChoice::Discard);
        list->SetChoice(titles.indexOf("ORMA3"), RecoveryChoice::Later);
        return int(QDialog::Accepted);
    };
    const std::vector<CVespiraDoc*> restored =
        OfferUnfinishedScans(*journal, docs, state, ui, std::nullopt);
    EXPECT_EQ(titles.size(), 3);
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0]->GetTitle(), "ORMA2");
    // The restored one's journal and the one for later stay; the discarded one goes.
    EXPECT_EQ(JournalFiles().size(), 2);
    docs.CloseAllDocuments();
    ui.dialogHandler = [&titles](QDialog& dialog) {
        auto* list = qobject_cast<CRecoveryDlg*>(&dialog);
        titles.clear();
        for (int row = 0; list != nullptr && row < list->Table()->rowCount(); ++row)
            titles << list->Table()->item(row, CRecoveryDlg::kTitle)->text();
        return int(QDialog::Rejected); // closed: everything later
    };
    CScanJournal next(ui, folder);
    EXPECT_TRUE(OfferUnfinishedScans(next, docs, state, ui, std::nullopt).empty());
    EXPECT_EQ(titles, QStringList{"ORMA3"});
    EXPECT_EQ(JournalFiles().size(), 1);
}

TEST_F(ScanRecoveryTest, DiscardRemovesAndLaterKeepsEveryJournal)
{
    LeaveUnfinishedScan(QStringLiteral("ORMA1"));
    LeaveUnfinishedScan(QStringLiteral("ORMA2"));
    ui.dialogHandler = [](QDialog&) { return int(QDialog::Rejected); };
    EXPECT_TRUE(OfferUnfinishedScans(*journal, docs, state, ui, std::nullopt).empty());
    EXPECT_EQ(JournalFiles().size(), 2);
    EXPECT_TRUE(docs.Documents().empty());
    // One list for both.
    EXPECT_EQ(ui.dialogCount, 1);

    testing::internal::CaptureStderr();
    EXPECT_TRUE(OfferUnfinishedScans(*journal, docs, state, ui, RecoveryChoice::Discard).empty());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ui.dialogCount, 1); // answered without a box
    EXPECT_EQ(err.rfind("message: Scans were not saved when Vespira last ended: ", 0), 0u) << err;
    for (const char* title : {"ORMA1", "ORMA2"})
        EXPECT_NE(
            err.find(std::string(title) + ": 4 of 6 points received (3 x 2 grid), scan begun "),
            std::string::npos)
            << err;
    EXPECT_TRUE(JournalFiles().isEmpty());
    EXPECT_TRUE(docs.Documents().empty());
}

// However many there are, the list fits on the screen with its buttons, and tells the
// scans apart by grid, points and start time where their titles are the same.
TEST_F(ScanRecoveryTest, FiftySixScansFitOnTheScreen)
{
    for (int i = 0; i < 56; ++i)
        LeaveUnfinishedScan(QStringLiteral("ORMA%1").arg(1 + i % 2));
    QRect shown;
    QRect okButton;
    QRect screen;
    int rows = 0;
    ui.dialogHandler = [&](QDialog& dialog) {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        screen = dialog.screen()->availableGeometry();
        shown = dialog.frameGeometry();
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("ok"));
        if (ok != nullptr)
            okButton = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
        if (auto* list = qobject_cast<CRecoveryDlg*>(&dialog))
            rows = list->Table()->rowCount();
        dialog.hide();
        return int(QDialog::Rejected);
    };
    OfferUnfinishedScans(*journal, docs, state, ui, std::nullopt);
    EXPECT_EQ(rows, 56);
    EXPECT_TRUE(screen.contains(shown)) << shown.height() << " of " << screen.height();
    EXPECT_TRUE(screen.contains(okButton));
    EXPECT_FALSE(okButton.isEmpty());
}

// ---- the real program, killed in the middle of a scan ----

constexpr int kDiscPoints = 41 * 41;

class KilledScanTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkdir(dir.filePath("pipes")));
        QFile::setPermissions(dir.filePath("pipes"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VESPIRA_PIPE_DIR", dir.filePath("pipes"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_STATE_HOME", dir.filePath("state"));
        ASSERT_TRUE(ReadPatternFile(disc, QByteArray(VESPIRA_EXAMPLES "/disc.rad")));
        ASSERT_EQ(disc.PointCount(), kDiscPoints);
    }
    void TearDown() override
    {
        for (QProcess* p : {&vespira, &sim})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
    }

    void StartVespira(const QString& recovery = QString())
    {
        QProcessEnvironment e = env;
        if (!recovery.isEmpty())
            e.insert("VESPIRA_RECOVERY", recovery);
        vespira.setProcessEnvironment(e);
        vespira.start(QStringLiteral(VESPIRA_EXE), {QStringLiteral("/NOS")});
        ASSERT_TRUE(vespira.waitForStarted(5000));
        // Up when its listener answers.
        bool up = false;
        for (int i = 0; i < 60 && !up && vespira.state() == QProcess::Running; ++i)
            up = Run(ORMA_SIM_PATH, {"send", "--connect-timeout", "1", "5"}) == 0;
        ASSERT_TRUE(up) << vespira.readAllStandardError().constData();
        err += vespira.readAllStandardError();
    }

    void Kill()
    {
        ::kill(static_cast<pid_t>(vespira.processId()), SIGKILL);
        ASSERT_TRUE(vespira.waitForFinished(5000));
        err += vespira.readAllStandardError();
    }

    // Waits until the program has written text on standard error.
    bool SaidOnStderr(const QByteArray& text)
    {
        return QTest::qWaitFor(
            [&] {
                err += vespira.readAllStandardError();
                return err.contains(text);
            },
            10000);
    }

    int Run(const char* program, const QStringList& args, QByteArray* out = nullptr)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QString::fromLocal8Bit(program), args);
        if (!p.waitForFinished(30000))
            return -1;
        if (out != nullptr)
            *out = p.readAllStandardOutput() + p.readAllStandardError();
        return p.exitCode();
    }

    // Replays the disc example and kills the program at a random moment of it; returns
    // the points the simulator had answers for.
    int ScanAndKill()
    {
        StartVespira();
        sim.setProcessEnvironment(env);
        sim.start(QStringLiteral(ORMA_SIM_PATH),
                  {"replay", "--rate", "800", "--connect-timeout", "1",
                   QStringLiteral(VESPIRA_EXAMPLES "/disc.rad")});
        EXPECT_TRUE(sim.waitForStarted(5000));
        // The listener connects to the simulator within half a second; once points come
        // in, the kill falls anywhere in the rest of the scan.
        EXPECT_TRUE(QTest::qWaitFor([this] { return JournaledPoints() > 0; }, 10000));
        std::mt19937 random(std::random_device{}());
        const int delayMs = std::uniform_int_distribution<int>(0, 1500)(random);
        QTest::qWait(delayMs);
        Kill();
        EXPECT_TRUE(HasEnded(sim, 30000));
        const QString simErr = QString::fromLocal8Bit(sim.readAllStandardError());
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("scan stopped after (\\d+) of 1681 points answered"))
                .match(simErr);
        EXPECT_TRUE(m.hasMatch()) << "after " << delayMs << " ms: " << simErr.toStdString();
        return m.captured(1).toInt();
    }

    // Points in the journal left behind.
    std::size_t JournaledPoints() const
    {
        const QString path = JournalPath();
        QFile file(path);
        ScanJournalContents contents;
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly) ||
            ReadScanJournal(file.readAll().toStdString(), contents) != JournalReadResult::Ok)
            return 0;
        return contents.points.size();
    }

    QString JournalPath() const
    {
        const QStringList files =
            QDir(dir.filePath("state/vespira")).entryList({QStringLiteral("*.journal")});
        return files.size() == 1 ? dir.filePath("state/vespira/") + files[0] : QString();
    }

    // The pattern holds the first `count` points of the disc in scan order, the rest 0.
    void ExpectScanPrefix(const CVespiraDoc& doc, int count)
    {
        ASSERT_EQ(doc.PointCount(), kDiscPoints);
        for (int i = 0; i < kDiscPoints; ++i)
            ASSERT_EQ(doc.m_pIntensity[i], i < count ? disc.m_pIntensity[i] : 0)
                << "point " << i << " of " << count;
        EXPECT_EQ(doc.m_nKV, disc.m_nKV);
        EXPECT_EQ(doc.m_fDetDistance, disc.m_fDetDistance);
        EXPECT_EQ(doc.ScanCount(), 0);
    }

    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess vespira;
    QProcess sim;
    QByteArray err;
    CFakeHostUi ui;
    CTestProgram state{ui};
    CVespiraDoc disc{state};
};

// The journal a killed program left is restored in full by the next start: every point
// that had its answer, and at most the one being answered when the program died.
TEST_F(KilledScanTest, RestoreGivesBackEveryAnsweredPoint)
{
    const int answered = ScanAndKill();
    ASSERT_FALSE(JournalPath().isEmpty());
    const int received = static_cast<int>(JournaledPoints());
    EXPECT_GE(received, answered);
    EXPECT_LE(received, answered + 1);

    CScanJournal journal(ui, dir.filePath("state/vespira"));
    CDocManager docs(state.services, state.View(), ui);
    state.services.scanJournal = &journal;
    // The fixture's documents outlive this journal and must not report to it.
    const auto detach = qScopeGuard([this] { state.services.scanJournal = nullptr; });
    ui.dialogHandler = [](QDialog&) { return int(QDialog::Accepted); };
    const std::vector<CVespiraDoc*> restored =
        OfferUnfinishedScans(journal, docs, state, ui, std::nullopt);
    ASSERT_EQ(restored.size(), 1u);
    ExpectScanPrefix(*restored[0], received);
    EXPECT_EQ(restored[0]->GetTitle(), "ORMA1");
    docs.CloseAllDocuments();
    EXPECT_TRUE(JournalPath().isEmpty());
}

// A torn last record, a real restart that restores and is killed again, then the
// command line: the scan survives all of it, less the torn record.
TEST_F(KilledScanTest, ATornRecordIsLeftOutAndTheRestoredScanSurvivesAnotherKill)
{
    const int answered = ScanAndKill();
    const QString path = JournalPath();
    ASSERT_FALSE(path.isEmpty());
    const int records = static_cast<int>(JournaledPoints());
    ASSERT_GT(records, 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray text = file.readAll();
    const qsizetype lastStart = text.lastIndexOf('\n', text.size() - 2) + 1;
    ASSERT_TRUE(file.resize(lastStart + (text.size() - lastStart) / 2));
    file.close();
    const int kept = records - 1;
    EXPECT_GE(kept, answered - 1);

    StartVespira(QStringLiteral("restore"));
    const QByteArray question = "ORMA1: " + QByteArray::number(kept) + " of 1681 points received";
    EXPECT_TRUE(SaidOnStderr(question)) << err.constData();
    Kill();
    // The restored, unsaved pattern kept it, under a name of the program that took it.
    const QString taken = JournalPath();
    ASSERT_FALSE(taken.isEmpty());
    EXPECT_NE(taken, path);

    const QString out = dir.filePath("recovered.rad");
    QByteArray output;
    ASSERT_EQ(Run(VESPIRA_RAD_PATH, {"recover", taken, out, "--remove"}, &output), 0)
        << output.constData();
    EXPECT_TRUE(JournalPath().isEmpty());
    CVespiraDoc doc(state);
    ASSERT_TRUE(ReadPatternFile(doc, QFile::encodeName(out)));
    ExpectScanPrefix(doc, kept);
}

TEST_F(KilledScanTest, LaterKeepsTheJournalForTheNextStartAndDiscardRemovesIt)
{
    ScanAndKill();
    const QString killed = JournalPath();
    ASSERT_FALSE(killed.isEmpty());
    const QDir folder(dir.filePath("state/vespira"));

    StartVespira(QStringLiteral("later"));
    EXPECT_TRUE(SaidOnStderr("message: A scan was not saved")) << err.constData();
    EXPECT_TRUE(QFile::exists(killed));
    // A scan of the running program: its journal is not for the command line to take.
    ASSERT_EQ(Run(ORMA_SIM_PATH, {"scan", "--x", "0:1:1", "--y", "0:1:1"}), 0);
    QStringList journals = folder.entryList({QStringLiteral("*.journal")});
    ASSERT_EQ(journals.size(), 2);
    journals.removeAll(QFileInfo(killed).fileName());
    QByteArray output;
    EXPECT_EQ(Run(VESPIRA_RAD_PATH,
                  {"recover", folder.filePath(journals[0]), dir.filePath("taken.rad")}, &output),
              1);
    EXPECT_TRUE(output.contains("is being written by a running Vespira")) << output.constData();
    EXPECT_FALSE(QFile::exists(dir.filePath("taken.rad")));
    Kill();

    err.clear();
    StartVespira(QStringLiteral("discard"));
    EXPECT_TRUE(SaidOnStderr("message: Scans were not saved")) << err.constData();
    EXPECT_TRUE(folder.entryList({QStringLiteral("*.journal")}).isEmpty());
}

} // namespace
