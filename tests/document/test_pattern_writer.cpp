#include "base/FixedText.h"
#include "document/CPatternFile.h"
#include "tests/document/TestPatterns.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

} // namespace

class PatternWriterTest : public ::testing::Test, protected DocFixture
{
protected:
    // The example pattern built in memory, as a scan would leave it.
    std::unique_ptr<CVespiraDoc> ExampleDoc()
    {
        auto doc = NewDoc(0.0f, 2.0f, 0.5f, 0.0f, 1.0f, 0.5f);
        CopyText(doc->m_szCreatedDate, "2003-03-02");
        CopyText(doc->m_szCreatedTime, " 8:07:06");
        CopyText(doc->m_szModifiedDate, "2003-03-02");
        CopyText(doc->m_szModifiedTime, "14:20:00");
        doc->m_fMeasTime = 10.0f;
        doc->m_nKV = 40;
        doc->m_nMA = 50;
        doc->m_fDetDistance = 105.5f;
        doc->m_fBeamX = 512.0f;
        doc->m_fBeamY = 498.25f;
        doc->m_nImageSize = 1024;
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 5; ++col)
                doc->m_pIntensity[doc->IndexOf(col, row)] = 10 * (row + 1) + col;
        doc->m_pScanTime[doc->IndexOf(1, 2)] = 900.0f;
        return doc;
    }

    QTemporaryDir dir;
};

TEST_F(PatternWriterTest, WritesTheExampleExactly)
{
    auto doc = ExampleDoc();
    const QString path = dir.filePath("sample.rad");
    ASSERT_TRUE(doc->OnSaveDocument(QFile::encodeName(path)));
    EXPECT_EQ(ReadAll(path), kExamplePattern);
    EXPECT_STREQ(doc->m_szFileName, "sample.rad");
    EXPECT_FALSE(doc->IsModified());
    EXPECT_STREQ(doc->m_szModifiedTime, "14:20:00"); // saving does not restamp
    EXPECT_EQ(ui.waitCount, 1);
    EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(PatternWriterTest, PacksIntensitiesIntoLinesOf79Characters)
{
    auto doc = NewDoc(0.0f, 59.0f, 1.0f, 0.0f, 0.0f, 1.0f);
    ASSERT_EQ(doc->PointCount(), 60);
    for (int i = 0; i < 60; ++i)
        doc->m_pIntensity[i] = 10000 + i;
    const auto lines = Lines(PatternFileText(*doc));
    const auto begin = std::find(lines.begin(), lines.end(), "Begin Radiography:");
    ASSERT_NE(begin, lines.end());
    const std::vector<std::string> block(begin + 1, begin + 6);
    EXPECT_EQ(*(begin + 6), "End Radiography:");
    const int expected[] = {13, 13, 13, 13, 8};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(std::count(block[i].begin(), block[i].end(), ' ') + 1, expected[i]);
        EXPECT_NE(block[i].front(), ' ');
        EXPECT_NE(block[i].back(), ' ');
    }
    EXPECT_EQ(block[0].size(), 77u);
    EXPECT_EQ(block[0].substr(0, 12), "10000 10001 ");
}

TEST_F(PatternWriterTest, BackgroundLinesOnlyWithABackgroundFile)
{
    auto doc = ExampleDoc();
    doc->m_fBackgroundX = 1.5f;
    EXPECT_EQ(PatternFileText(*doc).find("BCKGRD"), std::string::npos);

    CopyText(doc->m_szBackgroundFile, "empty cell.dat");
    doc->m_fBackgroundY = -2.25f;
    doc->m_nBackgroundKV = 40;
    doc->m_nBackgroundMA = 30;
    doc->m_fBackgroundTime = 600.0f;
    const auto lines = Lines(PatternFileText(*doc));
    ASSERT_GT(lines.size(), 7u);
    EXPECT_EQ(lines[5], "BCKGRD: file: empty cell.dat");
    EXPECT_EQ(lines[6], "BCKGRD: x: 1.50  y: -2.25  kv: 40  ma: 30  time: 600.0");
    EXPECT_EQ(lines[7], "X: beg: 0.0 end: 2.0 inc: 0.5");
}

TEST_F(PatternWriterTest, TargetsInArrayOrderWithTheirAxisDecimals)
{
    auto doc = NewDoc(0.0f, 1.0f, 0.5f, 0.0f, 1.25f, 0.25f);
    ASSERT_TRUE(doc);
    doc->m_pScanTime[doc->IndexOf(2, 3)] = 12.25f;
    doc->m_pScanTime[doc->IndexOf(1, 0)] = 900.0f;
    doc->m_pScanTime[doc->IndexOf(0, 1)] = 0.0f;
    doc->m_pScanTime[doc->IndexOf(0, 2)] = -3.0f; // read from a file: never written back
    doc->m_pScanTime[doc->IndexOf(0, 4)] = 1.0f;
    const auto lines = Lines(PatternFileText(*doc));
    const auto begin = std::find(lines.begin(), lines.end(), "Begin Selection:");
    ASSERT_NE(begin, lines.end());
    EXPECT_EQ(*(begin + 1), "1:  x: 0.5  y: 1.25  time: 900.0");
    EXPECT_EQ(*(begin + 2), "2:  x: 1.0  y: 0.50  time: 12.2");
    EXPECT_EQ(*(begin + 3), "3:  x: 0.0  y: 0.25  time: 1.0");
    EXPECT_EQ(*(begin + 4), "End Selection:");
    EXPECT_EQ(lines[5], "X: beg: 0.0 end: 1.0 inc: 0.5");
    EXPECT_EQ(lines[6], "Y: beg: 0.00 end: 1.25 inc: 0.25");
}

TEST_F(PatternWriterTest, FileNameIsThePartAfterTheLastSeparator)
{
    auto doc = ExampleDoc();
    ASSERT_TRUE(QDir(dir.path()).mkpath("a\\b"));
    ASSERT_TRUE(doc->OnSaveDocument(QFile::encodeName(dir.filePath("a\\b/c\\d.rad"))));
    EXPECT_STREQ(doc->m_szFileName, "d.rad");
}

TEST_F(PatternWriterTest, AFailedCreateChangesNothing)
{
    auto doc = ExampleDoc();
    doc->SetModifiedFlag(true);
    EXPECT_FALSE(doc->OnSaveDocument(QFile::encodeName(dir.filePath("missing/folder/x.rad"))));
    EXPECT_STREQ(doc->m_szFileName, "");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(PatternWriterTest, AFailedWriteKeepsTheOldFile)
{
    const QString path = dir.filePath("kept.rad");
    {
        auto doc = ExampleDoc();
        ASSERT_TRUE(doc->OnSaveDocument(QFile::encodeName(path)));
    }
    const std::string before = ReadAll(path);
    // Large enough to be written in several pieces.
    auto big = NewDoc(0.0f, 999.0f, 1.0f, 0.0f, 399.0f, 1.0f);
    for (int i = 0; i < big->PointCount(); ++i)
        big->m_pIntensity[i] = i;
    big->SetModifiedFlag(true);

    // A file-size limit makes the write fail after the file was created and its first
    // pieces were written, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1024 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = big->OnSaveDocument(QFile::encodeName(path));
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_FALSE(saved);
    EXPECT_TRUE(big->IsModified());
    EXPECT_STREQ(big->m_szFileName, "");
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.rad"});

    // Without the limit the pieces make up the whole text.
    ASSERT_TRUE(big->OnSaveDocument(QFile::encodeName(path)));
    EXPECT_EQ(ReadAll(path), PatternFileText(*big));
}

TEST_F(PatternWriterTest, SavingOverAFileKeepsItsPermissions)
{
    const QString path = dir.filePath("shared.rad");
    auto doc = ExampleDoc();
    ASSERT_TRUE(doc->OnSaveDocument(QFile::encodeName(path)));
    ASSERT_EQ(chmod(path.toLocal8Bit().constData(), 0640), 0);
    ASSERT_TRUE(doc->OnSaveDocument(QFile::encodeName(path)));
    struct stat st
    {};
    ASSERT_EQ(stat(path.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}
