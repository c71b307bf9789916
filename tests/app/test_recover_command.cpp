#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "journal/ScanJournalFormat.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/TestProgram.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// `vespira-rad recover` on journals a program left behind.
class RecoverCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        state.liveScan.SetPendingGrid(ScanGrid{30, 30, 0.0f, 29.0f, 1.0f, 0.0f, 29.0f, 1.0f});
        ASSERT_TRUE(doc.OnNewDocument());
    }

    // A journal of `count` points in scan order, began at `began`.
    QString WriteJournal(int count, const std::string& title = "ORMA1",
                         std::time_t began = 1'700'000'000)
    {
        std::string text =
            std::string(kJournalVersionLine) + StartRecord(began, doc, title) + HeaderRecord(doc);
        char record[kPointRecordMax];
        for (int i = 0; i < count; ++i)
            text.append(record, PointRecord(record, i % 30, i / 30, 1000 + i));
        const QString path = dir.filePath(QStringLiteral("scan-20231114-221320-1234-1.journal"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.data(), static_cast<qint64>(text.size()));
        return path;
    }

    int Recover(const QStringList& args, QByteArray* out = nullptr)
    {
        QProcess tool;
        tool.start(QStringLiteral(VESPIRA_RAD_PATH), QStringList{"recover"} + args);
        if (!tool.waitForFinished(30000))
            return -1;
        const QByteArray output = tool.readAllStandardOutput() + tool.readAllStandardError();
        if (out != nullptr)
            *out = output;
        return tool.exitCode();
    }

    static QByteArray Contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    CFakeHostUi ui;
    CTestProgram state{ui};
    CVespiraDoc doc{state};
};

TEST_F(RecoverCommandTest, ThePatternIsNeverWrittenOverItsJournal)
{
    const QString journal = WriteJournal(20);
    const QByteArray before = Contents(journal);
    ASSERT_TRUE(QDir().mkdir(dir.filePath("sub")));
    ASSERT_TRUE(QFile::link(journal, dir.filePath("link.rad")));
    ASSERT_EQ(::link(QFile::encodeName(journal).constData(),
                     QFile::encodeName(dir.filePath("hard.rad")).constData()),
              0);
    const QString relative = QStringLiteral("sub/../") + QFileInfo(journal).fileName();
    for (const QString& out :
         {journal, dir.filePath(relative), dir.filePath("link.rad"), dir.filePath("hard.rad")}) {
        for (const QStringList& options : {QStringList{}, QStringList{"--force", "--remove"}}) {
            QByteArray output;
            EXPECT_EQ(Recover(QStringList{journal, out} + options, &output), 1)
                << out.toStdString();
            EXPECT_TRUE(output.contains("is the journal itself")) << output.constData();
            EXPECT_EQ(Contents(journal), before) << out.toStdString();
        }
    }
}

TEST_F(RecoverCommandTest, AnExistingPatternIsReplacedOnlyWithForce)
{
    const QString journal = WriteJournal(20);
    const QString out = dir.filePath("out.rad");
    {
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("mine\n");
    }
    QByteArray output;
    EXPECT_EQ(Recover({journal, out}, &output), 1);
    EXPECT_TRUE(output.contains(QFile::encodeName(out) + " exists; add --force to replace it"))
        << output.constData();
    EXPECT_EQ(Contents(out), "mine\n");
    EXPECT_EQ(Recover({"--force", journal, out}, &output), 0) << output.constData();
    CVespiraDoc read(state);
    ASSERT_TRUE(ReadPatternFile(read, QFile::encodeName(out)));
    EXPECT_EQ(read.m_pIntensity[19], 1019);
}

TEST_F(RecoverCommandTest, TheJournalStaysUnlessItsRemovalIsAskedFor)
{
    const QString journal = WriteJournal(20);
    QByteArray output;
    ASSERT_EQ(Recover({journal, dir.filePath("a.rad")}, &output), 0) << output.constData();
    EXPECT_TRUE(QFile::exists(journal));
    EXPECT_TRUE(output.contains("The journal stays at " + QFile::encodeName(journal)))
        << output.constData();
    ASSERT_EQ(Recover({journal, dir.filePath("b.rad"), "--remove"}, &output), 0)
        << output.constData();
    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_TRUE(output.contains("is removed")) << output.constData();
    CVespiraDoc first(state);
    CVespiraDoc second(state);
    ASSERT_TRUE(ReadPatternFile(first, QFile::encodeName(dir.filePath("a.rad"))));
    ASSERT_TRUE(ReadPatternFile(second, QFile::encodeName(dir.filePath("b.rad"))));
    EXPECT_EQ(first.m_pIntensity, second.m_pIntensity);
}

// One changed digit in line 400 of a journal of 790 points loses that point alone.
TEST_F(RecoverCommandTest, ADamagedRecordIsLeftOutAndEveryOtherRecovered)
{
    const QString journal = WriteJournal(790);
    QByteArray text = Contents(journal);
    qsizetype at = 0;
    for (int line = 1; line < 400; ++line)
        at = text.indexOf('\n', at) + 1;
    // The digit before the line end: the point's value.
    const qsizetype digit = text.indexOf('\n', at) - 1;
    text[digit] = text[digit] == '5' ? '6' : '5';
    {
        QFile file(journal);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    const QString out = dir.filePath("out.rad");
    QByteArray output;
    ASSERT_EQ(Recover({journal, out}, &output), 0) << output.constData();
    EXPECT_TRUE(output.contains("ORMA1: 789 of 900 points received (30 x 30 grid)"))
        << output.constData();
    EXPECT_TRUE(output.contains("1 damaged record was left out (line 400).")) << output.constData();
    EXPECT_EQ(Contents(journal), text);
    CVespiraDoc read(state);
    ASSERT_TRUE(ReadPatternFile(read, QFile::encodeName(out)));
    // Lines 1 to 3 are the version, start and header records: line 400 is point 396.
    for (int i = 0; i < 900; ++i)
        ASSERT_EQ(read.m_pIntensity[i], i < 790 && i != 396 ? 1000 + i : 0) << i;
}

TEST_F(RecoverCommandTest, TitlesAreShownWithoutTheirControlBytesAndBadTimesAsUnknown)
{
    const QString journal = WriteJournal(3, "evil\x1b]2;owned\x07\x1b[2J", 99'999'999'999'999);
    QByteArray output;
    ASSERT_EQ(Recover({journal, dir.filePath("out.rad")}, &output), 0) << output.constData();
    EXPECT_FALSE(output.contains('\x1b')) << output.constData();
    EXPECT_FALSE(output.contains('\x07')) << output.constData();
    EXPECT_TRUE(output.contains("evil\\x1b]2;owned\\x07\\x1b[2J: 3 of 900 points received"))
        << output.constData();
    EXPECT_TRUE(output.contains("scan begun unknown,")) << output.constData();
}

} // namespace
