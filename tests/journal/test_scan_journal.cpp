#include "base/FixedText.h"
#include "journal/CJournalFile.h"
#include "journal/CJournalWriter.h"
#include "journal/CScanJournal.h"
#include "journal/ScanJournalFormat.h"
#include "tests/common/Sanitizers.h"
#include "tests/common/WithoutRootOverride.h"
#include "tests/document/TestPatterns.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

std::size_t Entries(const char* folder)
{
    return static_cast<std::size_t>(QDir(QString::fromLatin1(folder))
                                        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                                        .size());
}

class ScanJournalTest : public ::testing::Test, protected DocFixture
{
protected:
    // A 4 x 3 scan with a header that uses every field and a title that needs escaping.
    std::unique_ptr<CVespiraDoc> ScanDoc()
    {
        auto doc = NewDoc(-0.3f, 0.6f, 0.3f, 0.0f, 0.2f, 0.1f);
        doc->SetTitle(QStringLiteral("scan 7% done\nnext"));
        doc->m_fMeasTime = 1.25f;
        doc->m_nKV = 40;
        doc->m_nMA = -3;
        doc->m_fDetDistance = 105.5f;
        doc->m_fBeamX = 0.1f;
        doc->m_fBeamY = -498.25f;
        doc->m_nImageSize = 1024;
        CopyText(doc->m_szBackgroundFile, "C:\\data\\bg 1.rad");
        doc->m_fBackgroundX = 3.0e-7f;
        doc->m_fBackgroundY = 2.0f;
        doc->m_nBackgroundKV = 35;
        doc->m_nBackgroundMA = 20;
        doc->m_fBackgroundTime = 60.0f;
        return doc;
    }

    static std::string Journal(const CVespiraDoc& doc, const std::vector<JournalPoint>& points)
    {
        std::string text = std::string(kJournalVersionLine) +
                           StartRecord(1'000'000'000, doc, doc.GetTitle().toStdString()) +
                           HeaderRecord(doc);
        char record[kPointRecordMax];
        for (const JournalPoint& p : points)
            text.append(record, PointRecord(record, p.col, p.row, p.value));
        return text;
    }

    const std::vector<JournalPoint> points{
        {0, 0, 5}, {3, 2, INT_MAX}, {1, 1, INT_MIN}, {0, 0, 7}, {2, 0, 0}};
};

TEST_F(ScanJournalTest, RestoresGridHeaderAndExactlyTheReceivedPoints)
{
    auto doc = ScanDoc();
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(Journal(*doc, points), contents), JournalReadResult::Ok);
    EXPECT_FALSE(contents.tornTail);
    EXPECT_EQ(contents.title, "scan 7% done\nnext");
    EXPECT_EQ(contents.began, 1'000'000'000);
    // Point (0, 0) came twice: four grid points received.
    EXPECT_EQ(contents.ReceivedPoints(), 4);

    CVespiraDoc restored(state);
    ASSERT_TRUE(RestoreScanJournal(contents, restored));
    EXPECT_EQ(restored.Grid().nXPoints, 4);
    EXPECT_EQ(restored.m_nYPoints, 3);
    EXPECT_EQ(restored.m_fXBeg, -0.3f);
    EXPECT_EQ(restored.m_fXInc, 0.3f);
    EXPECT_EQ(restored.m_fYEnd, 0.2f);
    EXPECT_EQ(restored.m_fYInc, 0.1f);
    GridArray<std::int32_t> expected(12, 0);
    expected[0] = 7; // the later value wins
    expected[2 * 4 + 3] = INT_MAX;
    expected[1 * 4 + 1] = INT_MIN;
    EXPECT_EQ(restored.m_pIntensity, expected);
    EXPECT_EQ(restored.m_nMaxIntensity, INT_MAX);
    // Only the received points count as measured; the rest are still to come.
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_EQ(restored.m_range.IsMeasured(i), i == 0 || i == 2 || i == 5 || i == 11) << i;
    EXPECT_EQ(restored.ScanCount(), 0);
    EXPECT_TRUE(restored.IsModified());
    EXPECT_STREQ(restored.m_szFileName, "");
    EXPECT_STREQ(restored.m_szCreatedDate, "2001-09-09");
    EXPECT_STREQ(restored.m_szCreatedTime, " 1:46:40");
    EXPECT_STREQ(restored.m_szModifiedTime, " 1:46:40");

    EXPECT_EQ(restored.m_fMeasTime, 1.25f);
    EXPECT_EQ(restored.m_nKV, 40);
    EXPECT_EQ(restored.m_nMA, -3);
    EXPECT_EQ(restored.m_fDetDistance, 105.5f);
    EXPECT_EQ(restored.m_fBeamX, 0.1f);
    EXPECT_EQ(restored.m_fBeamY, -498.25f);
    EXPECT_EQ(restored.m_nImageSize, 1024);
    EXPECT_STREQ(restored.m_szBackgroundFile, "C:\\data\\bg 1.rad");
    EXPECT_EQ(restored.m_fBackgroundX, 3.0e-7f);
    EXPECT_EQ(restored.m_fBackgroundY, 2.0f);
    EXPECT_EQ(restored.m_nBackgroundKV, 35);
    EXPECT_EQ(restored.m_nBackgroundMA, 20);
    EXPECT_EQ(restored.m_fBackgroundTime, 60.0f);
}

TEST_F(ScanJournalTest, AJournalCutAnywhereGivesTheRecordsBeforeTheCut)
{
    auto doc = ScanDoc();
    const std::string full = Journal(*doc, points);
    const std::string head = Journal(*doc, {});
    for (std::size_t length = 0; length <= full.size(); ++length) {
        ScanJournalContents contents;
        const JournalReadResult result =
            ReadScanJournal(std::string_view(full).substr(0, length), contents);
        // The start record counts from its last character on, with or without its line end.
        if (length < head.size() - HeaderRecord(*doc).size() - 1) {
            EXPECT_NE(result, JournalReadResult::Ok) << length;
            continue;
        }
        ASSERT_EQ(result, JournalReadResult::Ok) << length;
        // Whole records only, in order, and appending may go on right after them.
        ASSERT_LE(contents.points.size(), points.size());
        for (std::size_t i = 0; i < contents.points.size(); ++i)
            EXPECT_EQ(contents.points[i].value, points[i].value) << length;
        EXPECT_EQ(full.compare(0, contents.validLength, full, 0, contents.validLength), 0);
        // A record that lost only its line end is whole and taken; any shorter piece is
        // a torn record, never damage.
        const bool lostLineEnd = length < full.size() && full[length] == '\n';
        EXPECT_EQ(contents.tornTail, contents.validLength != length && !lostLineEnd) << length;
        EXPECT_EQ(contents.damagedRecords, 0) << length;
        EXPECT_EQ(full[contents.validLength - 1], '\n');
        std::size_t records = 0;
        for (std::size_t at = full.find('\n') + 1; at < length; at = full.find('\n', at) + 1)
            records += full.find('\n', at) <= length ? 1 : 0;
        EXPECT_EQ(contents.points.size(), records > 2 ? records - 2 : 0) << length;
    }
}

TEST_F(ScanJournalTest, ADamagedRecordIsLeftOutAndReadingGoesOn)
{
    auto doc = ScanDoc();
    std::string text = Journal(*doc, points);
    // The third point's value changes from INT_MIN to a digit off: its checksum fails.
    const std::size_t at = text.find(std::to_string(INT_MIN));
    ASSERT_NE(at, std::string::npos);
    text[at + 3] = text[at + 3] == '1' ? '2' : '1';
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(text, contents), JournalReadResult::Ok);
    ASSERT_EQ(contents.points.size(), 4u);
    EXPECT_EQ(contents.points[2].value, 7);
    EXPECT_FALSE(contents.tornTail);
    EXPECT_EQ(contents.damagedRecords, 1);
    // Version, start, header, two points, then the damaged one.
    EXPECT_EQ(contents.damagedLines, std::vector<long>{6});
    EXPECT_EQ(contents.validLength, text.size());

    // A start record that is damaged leaves the records after it unplaced: they are
    // not put on the grid of the scan before it.
    auto loaded = NewDoc(0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
    loaded->m_pIntensity = {0, 9, 0, 4};
    std::string snapshot = SnapshotRecords(1'000'000'000, *loaded, "ORMA2");
    snapshot[12] = snapshot[12] == '1' ? '2' : '1';
    ASSERT_EQ(ReadScanJournal(Journal(*doc, points) + snapshot, contents), JournalReadResult::Ok);
    EXPECT_EQ(contents.points.size(), points.size());
    EXPECT_EQ(contents.grid.nXPoints, 4);
    EXPECT_EQ(contents.damagedRecords, 4); // the start, the header and two points
}

TEST_F(ScanJournalTest, AJournalOfTheFirstVersionIsRead)
{
    auto doc = ScanDoc();
    std::string text = Journal(*doc, points);
    ASSERT_EQ(text.rfind(kJournalVersionLine, 0), 0u);
    text.replace(0, std::string_view(kJournalVersionLine).size(), kJournalVersion1Line);
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(text, contents), JournalReadResult::Ok);
    EXPECT_EQ(contents.version, 1);
    EXPECT_EQ(contents.points.size(), points.size());
    EXPECT_EQ(contents.title, "scan 7% done\nnext");
    EXPECT_EQ(contents.damagedRecords, 0);
}

TEST_F(ScanJournalTest, AStopRecordSaysWhyTheJournalEndsThere)
{
    auto doc = ScanDoc();
    const std::string text =
        Journal(*doc, points) + StopRecord("cannot write /s/j: No space left on device");
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(text, contents), JournalReadResult::Ok);
    EXPECT_TRUE(contents.stopped);
    EXPECT_EQ(contents.stopReason, "cannot write /s/j: No space left on device");
    EXPECT_EQ(contents.points.size(), points.size());
    ASSERT_EQ(ReadScanJournal(Journal(*doc, points), contents), JournalReadResult::Ok);
    EXPECT_FALSE(contents.stopped);
}

TEST(JournalTexts, StartTimesOutOfRangeAreUnknownAndControlBytesAreShownEscaped)
{
    EXPECT_EQ(JournalTimeText(1'000'000'000), "2001-09-09 01:46:40 UTC");
    EXPECT_EQ(JournalTimeText(253402300799), "9999-12-31 23:59:59 UTC");
    EXPECT_EQ(JournalTimeText(253402300800), "unknown");
    EXPECT_EQ(JournalTimeText(-1), "unknown");
    EXPECT_EQ(JournalTimeText(std::numeric_limits<std::time_t>::max()), "unknown");

    EXPECT_EQ(PrintableText("ORMA1"), "ORMA1");
    EXPECT_EQ(PrintableText("\x1b]2;pwned\x07\r\n\x7f"), "\\x1b]2;pwned\\x07\\x0d\\x0a\\x7f");
    // UTF-8 stays; a C1 control, a lone byte above 127 and an overlong form do not.
    EXPECT_EQ(PrintableText("Probe \xc3\xa9t\xc3\xa9 \xe2\x82\xac"),
              "Probe \xc3\xa9t\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(PrintableText("a\xc2\x9b"
                            "1m"),
              "a\\u009b1m");
    EXPECT_EQ(PrintableText("\x9b\xc0\xaf\xed\xa0\x80"), "\\x9b\\xc0\\xaf\\xed\\xa0\\x80");
    EXPECT_EQ(PrintableText("cut \xe2\x82"), "cut \\xe2\\x82");
}

// Any one record damaged, wherever it is: only that record is lost.
TEST_F(ScanJournalTest, EveryRecordDamagedInTurnLosesOnlyThatRecord)
{
    auto doc = ScanDoc();
    std::vector<JournalPoint> many;
    for (int i = 0; i < 40; ++i)
        many.push_back({i % 4, (i / 4) % 3, 1000 + i});
    const std::string full = Journal(*doc, many);
    std::vector<std::size_t> starts;
    for (std::size_t at = full.find('\n') + 1; at < full.size(); at = full.find('\n', at) + 1)
        starts.push_back(at);
    ASSERT_EQ(starts.size(), many.size() + 2);
    for (std::size_t line = 0; line < starts.size(); ++line) {
        std::string text = full;
        // One digit or letter of the record changes; its checksum no longer fits.
        char& byte = text[starts[line] + 12];
        byte = byte == '7' ? '8' : '7';
        ScanJournalContents contents;
        const JournalReadResult result = ReadScanJournal(text, contents);
        if (line == 0) {
            EXPECT_EQ(result, JournalReadResult::NoScan);
            continue;
        }
        ASSERT_EQ(result, JournalReadResult::Ok) << line;
        EXPECT_EQ(contents.damagedRecords, 1) << line;
        EXPECT_EQ(contents.damagedLines, std::vector<long>{static_cast<long>(line) + 2});
        EXPECT_FALSE(contents.tornTail);
        const std::size_t lost = line >= 2 ? 1 : 0;
        ASSERT_EQ(contents.points.size(), many.size() - lost) << line;
        for (std::size_t i = 0, j = 0; i < many.size(); ++i) {
            if (lost == 1 && i == line - 2)
                continue;
            EXPECT_EQ(contents.points[j++].value, many[i].value) << line;
        }
    }
}

TEST_F(ScanJournalTest, RefusesForeignFilesAndRecordsThatBreakTheGrid)
{
    ScanJournalContents contents;
    EXPECT_EQ(ReadScanJournal("", contents), JournalReadResult::Foreign);
    EXPECT_EQ(ReadScanJournal("VESPIRA SCAN JOURNAL 3\n", contents), JournalReadResult::Foreign);
    EXPECT_EQ(ReadScanJournal(kExamplePattern, contents), JournalReadResult::Foreign);
    EXPECT_EQ(ReadScanJournal(kJournalVersionLine, contents), JournalReadResult::NoScan);

    auto doc = ScanDoc();
    char record[kPointRecordMax];
    // A point before any start record, or outside the 4 x 3 grid, is not taken.
    std::string text =
        std::string(kJournalVersionLine) + std::string(record, PointRecord(record, 0, 0, 1));
    EXPECT_EQ(ReadScanJournal(text, contents), JournalReadResult::NoScan);
    for (const auto& [col, row] : {std::pair{4, 0}, std::pair{0, 3}, std::pair{-1, 0}}) {
        text = Journal(*doc, {}) + std::string(record, PointRecord(record, col, row, 1));
        ASSERT_EQ(ReadScanJournal(text, contents), JournalReadResult::Ok);
        EXPECT_TRUE(contents.points.empty());
        EXPECT_EQ(contents.damagedRecords, 1);
    }
}

TEST_F(ScanJournalTest, ALoadedPatternReplacesWhatCameBefore)
{
    auto doc = ScanDoc();
    std::string text = Journal(*doc, points);
    auto loaded = NewDoc(0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
    loaded->m_pIntensity = {0, 9, 0, 4};
    loaded->m_nKV = 12;
    text += SnapshotRecords(1'000'000'000, *loaded, "ORMA2");
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(text, contents), JournalReadResult::Ok);
    CVespiraDoc restored(state);
    ASSERT_TRUE(RestoreScanJournal(contents, restored));
    EXPECT_EQ(restored.m_pIntensity, (GridArray<std::int32_t>{0, 9, 0, 4}));
    EXPECT_EQ(restored.m_nKV, 12);
    EXPECT_EQ(restored.m_szBackgroundFile[0], '\0');
    EXPECT_EQ(contents.title, "ORMA2");
}

TEST_F(ScanJournalTest, HeaderValuesAGarbledMessageGaveDoNotSpoilTheRest)
{
    auto doc = ScanDoc();
    doc->m_fMeasTime = std::numeric_limits<float>::quiet_NaN();
    doc->m_fBeamX = -std::numeric_limits<float>::infinity();
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(Journal(*doc, points), contents), JournalReadResult::Ok);
    EXPECT_FALSE(contents.tornTail);
    EXPECT_EQ(contents.points.size(), points.size());
    EXPECT_TRUE(std::isnan(contents.header.measTime));
    EXPECT_EQ(contents.header.beamX, -std::numeric_limits<float>::infinity());
}

// The keeper of the journals, on a real folder.
class ScanJournalKeeperTest : public ScanJournalTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        state.services.scanJournal = &journal;
    }

    std::unique_ptr<CVespiraDoc> StartScan()
    {
        auto doc = ScanDoc();
        journal.ScanStarted(*doc);
        return doc;
    }

    QTemporaryDir tmp;
    QString folder = tmp.path() + QStringLiteral("/state/vespira");
    CScanJournal journal{ui, folder};
};

TEST_F(ScanJournalKeeperTest, KeepsAScanInAPrivateFileThatOnlyThisProgramMayTake)
{
    // The program that writes the journal; it dies below.
    auto writing = std::make_unique<CScanJournal>(ui, folder);
    state.services.scanJournal = writing.get();
    auto doc = ScanDoc();
    writing->ScanStarted(*doc);
    const std::string path = writing->PathOf(*doc);
    ASSERT_FALSE(path.empty());
    for (const JournalPoint& p : points)
        writing->PointStored(*doc, p.col, p.row, p.value);
    doc->m_nKV = 41;
    writing->HeaderChanged(*doc);

    struct stat info
    {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(ReadFile(path), contents), JournalReadResult::Ok);
    EXPECT_EQ(contents.version, 2);
    EXPECT_EQ(contents.points.size(), points.size());
    EXPECT_EQ(contents.header.kV, 41);

    // A second program finds nothing to take while this one lives, and no tool may open
    // it; once this one is gone the journal is there to restore.
    EXPECT_TRUE(journal.FindUnfinished().empty());
    CJournalFile file;
    std::string error;
    EXPECT_EQ(CJournalFile::Open(path, file, error), CJournalFile::Result::InUse);
    state.services.scanJournal = &journal;
    writing.reset();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path)));
    EXPECT_EQ(CJournalFile::Open(path, file, error), CJournalFile::Result::Ok) << error;
    auto found = journal.FindUnfinished();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].contents.points.size(), points.size());
    CScanJournal rival(ui, folder);
    auto rivalFound = rival.FindUnfinished();
    ASSERT_EQ(rivalFound.size(), 1u);
    // Restored, it is taken over: renamed to a name of this program, which no one else
    // may take now.
    CVespiraDoc restored(state);
    ASSERT_TRUE(RestoreScanJournal(found[0].contents, restored));
    ASSERT_TRUE(journal.Adopt(restored, std::move(found[0]), error)) << error;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    CScanJournal third(ui, folder);
    EXPECT_TRUE(third.FindUnfinished().empty());
    EXPECT_EQ(CJournalFile::Open(journal.PathOf(restored), file, error),
              CJournalFile::Result::InUse);
    // Two programs that both found it: only the first takes it.
    CVespiraDoc late(state);
    EXPECT_FALSE(rival.Adopt(late, std::move(rivalFound[0]), error));
    EXPECT_NE(error.find("taken by another program"), std::string::npos) << error;
    EXPECT_TRUE(rival.PathOf(late).empty());
}

// A journal of the version before, as its program named and locked it.
TEST_F(ScanJournalKeeperTest, AJournalLeftByTheVersionBeforeComesBackWhenItsProgramIsGone)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    auto doc = ScanDoc();
    std::string text = Journal(*doc, points);
    text.replace(0, std::string_view(kJournalVersionLine).size(), kJournalVersion1Line);
    const std::string path = folder.toStdString() + "/scan-20250102-030405-4321-1.journal";
    {
        QFile out(QString::fromStdString(path));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.data(), static_cast<qint64>(text.size()));
    }
    // Its program still runs: it holds the journal's own lock.
    const int held = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(journal.FindUnfinished().empty());
    CJournalFile file;
    std::string error;
    EXPECT_EQ(CJournalFile::Open(path, file, error), CJournalFile::Result::InUse);
    ::close(held);

    auto found = journal.FindUnfinished();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].contents.version, 1);
    EXPECT_EQ(found[0].contents.points.size(), points.size());
    CVespiraDoc restored(state);
    ASSERT_TRUE(RestoreScanJournal(found[0].contents, restored));
    ASSERT_TRUE(journal.Adopt(restored, std::move(found[0]), error)) << error;
    journal.HeaderChanged(restored);
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(ReadFile(journal.PathOf(restored)), contents), JournalReadResult::Ok);
    EXPECT_EQ(contents.points.size(), points.size());
    EXPECT_EQ(contents.damagedRecords, 0);
}

TEST_F(ScanJournalKeeperTest, EndsWhenSavedAfterTheScanOrClosed)
{
    auto doc = StartScan();
    const QString path = QString::fromStdString(journal.PathOf(*doc));
    // A save during the scan keeps it; after ENDCOLLECT a save ends it.
    ASSERT_TRUE(doc->OnSaveDocument(QFile::encodeName(tmp.filePath("mid.rad"))));
    EXPECT_TRUE(QFile::exists(path));
    journal.ScanEnded(*doc);
    EXPECT_TRUE(QFile::exists(path));
    ASSERT_TRUE(doc->OnSaveDocument(QFile::encodeName(tmp.filePath("end.rad"))));
    EXPECT_FALSE(QFile::exists(path));

    // A new scan ends the one before: the earlier pattern's save ends its journal.
    auto first = StartScan();
    auto second = StartScan();
    const QString firstPath = QString::fromStdString(journal.PathOf(*first));
    const QString secondPath = QString::fromStdString(journal.PathOf(*second));
    ASSERT_TRUE(first->OnSaveDocument(QFile::encodeName(tmp.filePath("first.rad"))));
    EXPECT_FALSE(QFile::exists(firstPath));
    ASSERT_TRUE(second->OnSaveDocument(QFile::encodeName(tmp.filePath("second.rad"))));
    EXPECT_TRUE(QFile::exists(secondPath));
    second->OnCloseDocument();
    EXPECT_FALSE(QFile::exists(secondPath));
    EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("*.journal")}, QDir::Files).isEmpty());
    EXPECT_TRUE(ui.notices.isEmpty());
}

TEST_F(ScanJournalKeeperTest, AnUnusableFolderLeavesTheScanWithoutAJournalAndSaysSoOnce)
{
    QFile blocker(tmp.filePath("state"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // the folder's parent is a file
    blocker.close();
    auto doc = StartScan();
    EXPECT_TRUE(journal.PathOf(*doc).empty());
    for (const JournalPoint& p : points)
        journal.PointStored(*doc, p.col, p.row, p.value);
    journal.ScanEnded(*doc);
    ASSERT_EQ(ui.notices.size(), 1);
    EXPECT_TRUE(ui.notices[0].startsWith("Scan journal off: cannot create "))
        << ui.notices[0].toStdString();
}

TEST_F(ScanJournalKeeperTest, AFullDiskStopsTheJournalAndKeepsWhatItHolds)
{
    auto doc = StartScan();
    const QString path = QString::fromStdString(journal.PathOf(*doc));
    // The file size limit gives the write errors of a full disk.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = static_cast<rlim_t>(QFileInfo(path).size() + 100);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    for (int i = 0; i < 50; ++i)
        journal.PointStored(*doc, i % 4, (i / 4) % 3, i);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(ui.notices.size(), 1);
    EXPECT_TRUE(ui.notices[0].startsWith("Scan journal off: cannot write "))
        << ui.notices[0].toStdString();
    EXPECT_TRUE(ui.notices[0].contains(path)) << ui.notices[0].toStdString();
    // The journal stays, whole up to its last record and marked as stopped, for a
    // program that dies before the pattern is saved.
    journal.PointStored(*doc, 0, 0, 1);
    EXPECT_EQ(ui.notices.size(), 1);
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(QString::fromStdString(journal.PathOf(*doc)), path);
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(ReadFile(path.toStdString()), contents), JournalReadResult::Ok);
    EXPECT_FALSE(contents.tornTail);
    EXPECT_EQ(contents.damagedRecords, 0);
    EXPECT_GE(contents.points.size(), 2u);
    for (std::size_t i = 0; i < contents.points.size(); ++i)
        EXPECT_EQ(contents.points[i].value, static_cast<int>(i));
    journal.DocumentDestroyed(*doc);
    auto found = journal.FindUnfinished();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].contents.points.size(), contents.points.size());
}

TEST_F(ScanJournalKeeperTest, AStoppedJournalGoesWhenItsPatternIsSavedAfterTheScan)
{
    auto doc = StartScan();
    const QString path = QString::fromStdString(journal.PathOf(*doc));
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = static_cast<rlim_t>(QFileInfo(path).size());
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    journal.PointStored(*doc, 1, 1, 5);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(ui.notices.size(), 1);
    journal.ScanEnded(*doc);
    EXPECT_TRUE(QFile::exists(path));
    ASSERT_TRUE(doc->OnSaveDocument(QFile::encodeName(tmp.filePath("saved.rad"))));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(ui.notices.size(), 1);
}

// A folder that cannot be written still gives back what is in it: restoring needs no
// write; what cannot be taken over or removed is said.
TEST_F(ScanJournalKeeperTest, AReadOnlyFolderStillOffersItsJournals)
{
    {
        CScanJournal writing(ui, folder);
        state.services.scanJournal = &writing;
        auto doc = ScanDoc();
        writing.ScanStarted(*doc);
        for (const JournalPoint& p : points)
            writing.PointStored(*doc, p.col, p.row, p.value);
        state.services.scanJournal = &journal;
    }
    const QByteArray native = QFile::encodeName(folder);
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.journal")}, QDir::Files);
    ASSERT_EQ(names.size(), 1);
    const QByteArray file = native + '/' + QFile::encodeName(names[0]);
    ASSERT_EQ(::chmod(file.constData(), 0400), 0);
    ASSERT_EQ(::chmod(native.constData(), 0500), 0);
    std::vector<CScanJournal::Unfinished> found;
    std::string adoptError;
    std::string discardError;
    bool adopted = true;
    bool discarded = true;
    CVespiraDoc restored(state);
    {
        const CWithoutRootOverride asAnyUser;
        found = journal.FindUnfinished();
        if (found.size() == 1) {
            ASSERT_TRUE(RestoreScanJournal(found[0].contents, restored));
            discarded = journal.Discard(found[0], discardError);
            adopted = journal.Adopt(restored, std::move(found[0]), adoptError);
        }
    }
    ::chmod(native.constData(), 0700);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(restored.m_pIntensity[0], 7);
    EXPECT_FALSE(adopted);
    EXPECT_NE(adoptError.find("Permission denied"), std::string::npos) << adoptError;
    EXPECT_FALSE(discarded);
    EXPECT_NE(discardError.find("cannot remove " + native.toStdString()), std::string::npos)
        << discardError;
    EXPECT_TRUE(journal.PathOf(restored).empty());
    EXPECT_TRUE(QFile::exists(QFile::decodeName(file)));
    EXPECT_TRUE(ui.notices.isEmpty());
}

// The checks that keep new scans out of a folder others control keep the journals in it
// from being read, restored or removed too.
TEST_F(ScanJournalKeeperTest, AFolderOthersControlIsNeitherReadNorWritten)
{
    const QString real = tmp.filePath("real");
    {
        CScanJournal writing(ui, real);
        state.services.scanJournal = &writing;
        auto doc = ScanDoc();
        writing.ScanStarted(*doc);
        writing.PointStored(*doc, 0, 0, 5);
        state.services.scanJournal = &journal;
    }
    ASSERT_EQ(Entries(QFile::encodeName(real).constData()), 1u);
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("state")));
    ASSERT_TRUE(QFile::link(real, folder));
    EXPECT_TRUE(journal.FindUnfinished().empty());
    ASSERT_EQ(ui.notices.size(), 1);
    EXPECT_TRUE(ui.notices[0].contains(folder + " is a symbolic link"))
        << ui.notices[0].toStdString();
    auto doc = StartScan();
    EXPECT_TRUE(journal.PathOf(*doc).empty());
    ASSERT_EQ(ui.notices.size(), 2);
    EXPECT_TRUE(ui.notices[1].startsWith("Scan journal off: " + folder + " is a symbolic link"))
        << ui.notices[1].toStdString();
    EXPECT_EQ(Entries(QFile::encodeName(real).constData()), 1u);

    // The user's own folder that others may write in.
    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(QDir().rename(real, folder));
    const QByteArray native = QFile::encodeName(folder);
    ASSERT_EQ(::chmod(native.constData(), 0777), 0);
    CScanJournal open(ui, folder);
    EXPECT_TRUE(open.FindUnfinished().empty());
    ASSERT_EQ(ui.notices.size(), 3);
    EXPECT_TRUE(ui.notices[2].contains(folder + " is writable by others"))
        << ui.notices[2].toStdString();
    EXPECT_EQ(Entries(native.constData()), 1u);

    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the folder away";
    ASSERT_EQ(::chown(native.constData(), 65534, 65534), 0);
    CScanJournal given(ui, folder);
    EXPECT_TRUE(given.FindUnfinished().empty());
    ASSERT_EQ(ui.notices.size(), 4);
    EXPECT_TRUE(ui.notices[3].contains(folder + " belongs to user 65534"))
        << ui.notices[3].toStdString();
    auto other = ScanDoc();
    given.ScanStarted(*other);
    EXPECT_TRUE(given.PathOf(*other).empty());
    EXPECT_TRUE(ui.notices.last().contains("belongs to user 65534"));
    EXPECT_EQ(Entries(native.constData()), 1u);
    ASSERT_EQ(::chown(native.constData(), ::getuid(), ::getgid()), 0);
}

// Unsaved scans by the hundred hold no descriptor and no thread each; when descriptors
// run out, a scan goes on without a journal and says why.
TEST_F(ScanJournalKeeperTest, ManyJournalsShareOneThreadAndAFewDescriptors)
{
    // The sanitizers' runtime holds descriptors of its own and slows the flushing thread
    // several times over, so neither the count below nor the starved start means anything
    // there; the plain build checks both.
    if (kBuiltWithSanitizers)
        GTEST_SKIP() << "descriptor and thread counts are the plain build's to check";
    const std::size_t threadsBefore = Entries("/proc/self/task");
    std::vector<std::unique_ptr<CVespiraDoc>> docs;
    docs.push_back(StartScan());
    journal.PointStored(*docs.back(), 1, 1, 100);
    // The folder, the program's lock and the journal written last.
    const std::size_t fdsAfterOne = Entries("/proc/self/fd");
    for (int i = 1; i < 60; ++i) {
        docs.push_back(StartScan());
        journal.PointStored(*docs.back(), 1, 1, 100 + i);
    }
    // Four open at most, as many waiting for their last flush, and one the flushing
    // thread holds for a moment.
    EXPECT_LE(Entries("/proc/self/fd"), fdsAfterOne + 8);
    EXPECT_LE(Entries("/proc/self/task"), threadsBefore + 1);
    // Every one of them still takes its points.
    for (int i = 0; i < 60; ++i)
        journal.PointStored(*docs[static_cast<std::size_t>(i)], 2, 2, 200 + i);
    for (int i = 0; i < 60; i += 7) {
        ScanJournalContents contents;
        ASSERT_EQ(
            ReadScanJournal(ReadFile(journal.PathOf(*docs[static_cast<std::size_t>(i)])), contents),
            JournalReadResult::Ok);
        ASSERT_EQ(contents.points.size(), 2u);
        EXPECT_EQ(contents.points[1].value, 200 + i);
    }
    EXPECT_TRUE(ui.notices.isEmpty());

    // Once every journal is flushed the flushing thread holds no descriptor for a moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    // UBSan checks a first call through IHostUi with a pipe of its own: made now, while
    // there are descriptors to spare.
    static_cast<IHostUi&>(ui).SetStatusText(QString());
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    rlimit limit = old;
    // Every descriptor number below the limit taken: none is left to open.
    const int lowestFree = ::dup(0);
    ASSERT_GE(lowestFree, 0);
    ::close(lowestFree);
    limit.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    auto starved = StartScan();
    journal.PointStored(*starved, 0, 0, 1);
    ::setrlimit(RLIMIT_NOFILE, &old);
    ASSERT_EQ(ui.notices.size(), 1);
    EXPECT_TRUE(ui.notices[0].startsWith("Scan journal off: "));
    EXPECT_TRUE(ui.notices[0].contains("Too many open files")) << ui.notices[0].toStdString();
    auto next = StartScan();
    EXPECT_FALSE(journal.PathOf(*next).empty());
    EXPECT_EQ(ui.notices.size(), 1);
}

TEST_F(ScanJournalKeeperTest, IgnoresFilesThatAreNotJournalsWithOneLineEach)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const auto& [name, text] : {std::pair{"foreign.journal", std::string("hello\n")},
                                     std::pair{"empty.journal", std::string()},
                                     std::pair{"bare.journal", std::string(kJournalVersionLine)},
                                     std::pair{"notes.txt", std::string("x")}}) {
        QFile file(folder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    testing::internal::CaptureStderr();
    EXPECT_TRUE(journal.FindUnfinished().empty());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 3) << err;
    EXPECT_NE(err.find("foreign.journal: not a scan journal"), std::string::npos) << err;
    EXPECT_NE(err.find("bare.journal: no scan in it"), std::string::npos) << err;
}

TEST_F(ScanJournalKeeperTest, AnAdoptedJournalKeepsEveryByteAndGoesOn)
{
    auto doc = StartScan();
    for (int i = 0; i < 6; ++i)
        journal.PointStored(*doc, i % 4, i / 4, 11 + i);
    const std::string path = journal.PathOf(*doc);
    journal.DocumentDestroyed(*doc);
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray text = file.readAll();
        // One record damaged in the middle, and half a record at the end.
        const qsizetype third = text.indexOf(" P 2 0 13");
        ASSERT_GT(third, 0);
        text[third + 8] = '4';
        text += "0badf00d P 3 1";
        file.seek(0);
        file.write(text);
    }
    const std::string before = ReadFile(path);
    auto found = journal.FindUnfinished();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].contents.tornTail);
    EXPECT_EQ(found[0].contents.damagedRecords, 1);
    EXPECT_EQ(found[0].contents.points.size(), 5u);
    CVespiraDoc restored(state);
    ASSERT_TRUE(RestoreScanJournal(found[0].contents, restored));
    const std::string taken = found[0].path;
    std::string error;
    ASSERT_TRUE(journal.Adopt(restored, std::move(found[0]), error)) << error;
    journal.HeaderChanged(restored);

    // Nothing is cut: the records after the damage are all still there.
    const std::string after = ReadFile(taken);
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(after.compare(0, before.size(), before), 0);
    ScanJournalContents contents;
    ASSERT_EQ(ReadScanJournal(after, contents), JournalReadResult::Ok);
    EXPECT_FALSE(contents.tornTail);
    EXPECT_EQ(contents.points.size(), 5u);
    EXPECT_EQ(contents.damagedRecords, 2); // the damaged record and the torn one, now ended
    // Its scan is over: a save ends it.
    ASSERT_TRUE(restored.OnSaveDocument(QFile::encodeName(tmp.filePath("restored.rad"))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(taken)));
}

TEST(JournalWriterTest, FlushesToTheDiskAtMostOnceAPeriod)
{
    QTemporaryDir tmp;
    CJournalFolder folder(tmp.filePath("j").toStdString());
    std::string error;
    ASSERT_TRUE(folder.OpenToWrite(error)) << error;
    CJournalWriter writer(folder, std::chrono::milliseconds(300));
    const CJournalWriter::Id id = writer.Create("w.journal", "", error);
    ASSERT_NE(id, 0u) << error;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(200)) {
        ASSERT_TRUE(writer.Append(id, "x\n"));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // The first append is flushed at once, the rest wait for the period to end.
    EXPECT_LE(writer.BackgroundSyncs(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(writer.BackgroundSyncs(), 2);
    EXPECT_TRUE(writer.Sync(id));
}

TEST(JournalWriterTest, ALoadedPatternReplacesTheFileWholeAndOnlyAFewStayOpen)
{
    QTemporaryDir tmp;
    CJournalFolder folder(tmp.filePath("j").toStdString());
    std::string error;
    ASSERT_TRUE(folder.OpenToWrite(error)) << error;
    CJournalWriter writer(folder, std::chrono::milliseconds(50), 2);
    std::vector<CJournalWriter::Id> ids;
    for (int i = 0; i < 5; ++i) {
        ids.push_back(writer.Create("j" + std::to_string(i) + ".journal", "a\n", error));
        ASSERT_NE(ids.back(), 0u) << error;
        ASSERT_TRUE(writer.Append(ids.back(), "b\n"));
        EXPECT_LE(writer.OpenDescriptors(), 2u);
    }
    ASSERT_TRUE(writer.Append(ids[0], "c\n"));
    ASSERT_TRUE(writer.Replace(ids[1], "new\n"));
    ASSERT_TRUE(writer.Append(ids[1], "d\n"));
    EXPECT_LE(writer.OpenDescriptors(), 2u);
    const std::string version = kJournalVersionLine;
    EXPECT_EQ(ReadFile(writer.Path(ids[0])), version + "a\nb\nc\n");
    EXPECT_EQ(ReadFile(writer.Path(ids[1])), version + "new\nd\n");
    EXPECT_EQ(ReadFile(writer.Path(ids[4])), version + "a\nb\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(writer.Path(ids[1]) + ".new")));
    ASSERT_TRUE(writer.Remove(ids[2], error)) << error;
    EXPECT_FALSE(writer.Append(ids[2], "e\n"));
}

} // namespace
