#include "exchange/TargetCsv.h"

#include "tests/document/TestPatterns.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TargetCsvTest : public ::testing::Test, public DocFixture
{
protected:
    // 21 x 21 points: X 0 to 10 by 0.5, Y 0 to 5 by 0.25.
    std::unique_ptr<CVespiraDoc> doc = NewDoc(0.0f, 10.0f, 0.5f, 0.0f, 5.0f, 0.25f);
};

std::vector<int> Lines(const TargetImport& import)
{
    std::vector<int> lines;
    for (const CsvProblem& p : import.problems)
        lines.push_back(p.line);
    return lines;
}

TEST_F(TargetCsvTest, ListsTargetsInArrayOrderWithTheAxisDecimalsAndExactTimes)
{
    doc->SetScanTime(3, 2, 12.6f);
    doc->SetScanTime(1, 0, 900.0f);
    doc->SetScanTime(20, 20, 1.0e-1f + 1.0f);
    EXPECT_EQ(TargetCsvText(*doc), "x_mm,y_mm,time_s\n"
                                   "0.5,5.00,900\n"
                                   "1.5,4.50,12.6\n"
                                   "10.0,0.00,1.1\n");
}

TEST_F(TargetCsvTest, AnExportedListReadsBackAsTheSameTargets)
{
    const float times[] = {900.0f, 12.6f, 0.9f, 1.0f / 3.0f + 1.0f, 123456.789f};
    int n = 0;
    for (int row = 0; row < doc->m_nYPoints; row += 4)
        for (int col = 0; col < doc->m_nXPoints; col += 3)
            doc->SetScanTime(col, row, times[n++ % 5]);
    const std::string text = TargetCsvText(*doc);

    auto other = NewDoc(0.0f, 10.0f, 0.5f, 0.0f, 5.0f, 0.25f);
    const TargetImport import = ParseTargetCsv(*other, text);
    ASSERT_TRUE(import.isList);
    EXPECT_TRUE(import.problems.empty()) << DescribeProblems(import.problems);
    ApplyTargetImport(*other, import);
    EXPECT_TRUE(
        std::equal(doc->m_pScanTime.begin(), doc->m_pScanTime.end(), other->m_pScanTime.begin()));
    EXPECT_EQ(other->ScanCount(), doc->ScanCount());
}

TEST_F(TargetCsvTest, PositionsKeepTheDecimalsOfAnOriginFinerThanTheStep)
{
    auto shifted = NewDoc(-31.75f, -30.0f, 0.1f, 0.0f, 1.125f, 0.5f);
    ASSERT_TRUE(shifted);
    shifted->SetScanTime(0, 0, 5.0f);
    shifted->SetScanTime(3, 1, 6.0f);
    const std::string text = TargetCsvText(*shifted);
    EXPECT_EQ(text, "x_mm,y_mm,time_s\n-31.75,1.125,5\n-31.45,0.625,6\n");
    auto other = NewDoc(-31.75f, -30.0f, 0.1f, 0.0f, 1.125f, 0.5f);
    ApplyTargetImport(*other, ParseTargetCsv(*other, text));
    EXPECT_TRUE(std::equal(shifted->m_pScanTime.begin(), shifted->m_pScanTime.end(),
                           other->m_pScanTime.begin()));
}

TEST_F(TargetCsvTest, RowsArePlacedByThePointRule)
{
    const TargetImport import =
        ParseTargetCsv(*doc, "x_mm,y_mm,time_s\n0.74,4.9,10\n-0.24,5.12,20\n10.2,-0.1,30\n");
    ASSERT_TRUE(import.problems.empty()) << DescribeProblems(import.problems);
    ASSERT_EQ(import.targets.size(), 3u);
    EXPECT_EQ(import.targets[0].index, doc->IndexOf(1, 0));
    EXPECT_EQ(import.targets[1].index, doc->IndexOf(0, 0));
    EXPECT_EQ(import.targets[2].index, doc->IndexOf(20, 20));
    EXPECT_EQ(import.targets[0].time, 10.0f);
}

TEST_F(TargetCsvTest, SpreadsheetFormsAreRead)
{
    // Byte-order mark, CR LF, blanks, quotes, a leading plus, an upper-case header and
    // blank lines.
    const TargetImport import = ParseTargetCsv(
        *doc, "\xEF\xBB\xBF X_MM , Y_mm ,\"time_s\"\r\n\r\n \"1.0\" , +2.5 , 1e3 \r\n\n");
    EXPECT_TRUE(import.problems.empty()) << DescribeProblems(import.problems);
    ASSERT_EQ(import.targets.size(), 1u);
    EXPECT_EQ(import.targets[0].index, doc->IndexOf(2, 10));
    EXPECT_EQ(import.targets[0].time, 1000.0f);
}

TEST_F(TargetCsvTest, EveryBadRowIsReportedByItsLineAndTheRestKept)
{
    const TargetImport import = ParseTargetCsv(*doc, "x_mm,y_mm,time_s\n"
                                                     "1,1,10\n"     // 2: good
                                                     "1,1\n"        // 3: two fields
                                                     "1,1,10,4\n"   // 4: four fields
                                                     "one,1,10\n"   // 5: X not a number
                                                     "1,1.5mm,10\n" // 6: Y with a unit
                                                     "2,1,\n"       // 7: no time
                                                     "2,1,0.5\n"    // 8: below 0.9
                                                     "2,1,-5\n"     // 9: negative
                                                     "2,1,inf\n"    // 10: not finite
                                                     "11,1,10\n"    // 11: outside X
                                                     "1,-0.2,10\n"  // 12: outside Y
                                                     "1.1,0.9,20\n" // 13: line 2's point
                                                     "\n"
                                                     "3,2,0.9\n"); // 15: good, 0.9 taken
    EXPECT_TRUE(import.isList);
    EXPECT_EQ(Lines(import), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    ASSERT_EQ(import.targets.size(), 2u);
    EXPECT_EQ(import.targets[1].time, 0.9f);
    const std::string text = DescribeProblems(import.problems);
    EXPECT_NE(text.find("line 5: X \"one\" is not a number"), std::string::npos) << text;
    EXPECT_NE(text.find("line 11: X 11 mm, Y 1 mm lies outside the grid"), std::string::npos);
    EXPECT_NE(text.find("line 13: the same grid point as line 2"), std::string::npos);
    EXPECT_NE(text.find("line 8: scan time 0.5 s is not greater than 0.9 s"), std::string::npos);
    EXPECT_NE(DescribeProblems(import.problems, 2).find("and 9 more"), std::string::npos);
}

TEST_F(TargetCsvTest, ScanTimesAboveAMillionSecondsAreRefused)
{
    const TargetImport import = ParseTargetCsv(*doc, "x_mm,y_mm,time_s\n"
                                                     "1,1,1000000\n"
                                                     "2,1,1000000.5\n"
                                                     "3,1,1e30\n");
    ASSERT_EQ(import.targets.size(), 1u);
    EXPECT_EQ(import.targets[0].time, 1'000'000.0f);
    EXPECT_EQ(Lines(import), (std::vector<int>{3, 4}));
    const std::string text = DescribeProblems(import.problems);
    EXPECT_NE(text.find("line 3: scan time 1000000.5 s is more than 1000000 s"), std::string::npos)
        << text;
    EXPECT_NE(text.find("line 4: scan time 1e30 s is more than 1000000 s"), std::string::npos);
}

TEST_F(TargetCsvTest, AFileWithoutTheHeaderIsNoList)
{
    for (const char* text : {"1,1,10\n2,2,10\n", "", "\n\n", "x,y,t\n1,1,10\n"}) {
        const TargetImport import = ParseTargetCsv(*doc, text);
        EXPECT_FALSE(import.isList) << text;
        EXPECT_TRUE(import.targets.empty());
        ASSERT_EQ(import.problems.size(), 1u);
    }
}

TEST_F(TargetCsvTest, AnImportAddsToTheTargetsAsOneChange)
{
    doc->SetScanTime(0, 0, 50.0f);
    doc->SetModifiedFlag(false);
    const unsigned before = doc->SelectionGeneration();
    ApplyTargetImport(*doc, ParseTargetCsv(*doc, "x_mm,y_mm,time_s\n0,5,7\n1,5,8\n"));
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(0, 0)], 7.0f);
    EXPECT_EQ(doc->m_pScanTime[doc->IndexOf(2, 0)], 8.0f);
    EXPECT_EQ(doc->ScanCount(), 2);
    EXPECT_DOUBLE_EQ(doc->TotalScanTime(), 15.0);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->SelectionGeneration(), before + 1);
}

TEST_F(TargetCsvTest, FilesAreWrittenAndReadWhole)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("list.csv")));
    doc->SetScanTime(4, 4, 33.0f);
    ASSERT_TRUE(WriteTargetCsv(*doc, path));
    std::string text;
    std::string error;
    ASSERT_TRUE(ReadTargetCsvFile(path, text, error));
    EXPECT_EQ(text, TargetCsvText(*doc));
    EXPECT_FALSE(ReadTargetCsvFile(QFile::encodeName(dir.path()), text, error));
    EXPECT_FALSE(ReadTargetCsvFile(path + "-missing", text, error));
    EXPECT_FALSE(error.empty());
}

} // namespace
