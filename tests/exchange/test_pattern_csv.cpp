#include "exchange/PatternCsv.h"

#include "tests/document/TestPatterns.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace {

class PatternCsvTest : public ::testing::Test, public DocFixture
{};

TEST_F(PatternCsvTest, WritesEveryPointWithItsAxisDecimalsInPiecesOfBoundedSize)
{
    // 400 x 300 points, over 3 MB of text: several pieces.
    auto doc = NewDoc(-2.0f, 37.9f, 0.1f, 0.0f, 74.75f, 0.25f);
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->m_nXPoints, 400);
    ASSERT_EQ(doc->m_nYPoints, 300);
    doc->m_pIntensity[static_cast<std::size_t>(doc->IndexOf(399, 299))] = -7;
    doc->SetScanTime(1, 2, 900.0f);

    std::vector<std::size_t> sizes;
    std::string text;
    ASSERT_TRUE(WritePatternCsvText(*doc, [&](std::string_view piece) {
        sizes.push_back(piece.size());
        text.append(piece);
        return true;
    }));
    EXPECT_GE(sizes.size(), 3u);
    for (const std::size_t size : sizes)
        EXPECT_LE(size, (std::size_t{1} << 20) + 256);
    EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), 120001u);
    EXPECT_EQ(text.substr(0, text.find('\n', text.find('\n') + 1) + 1),
              "column,row,x,y,intensity,scan_time\n0,0,-2.0,74.75,0,0.0\n");
    EXPECT_NE(text.find("\n1,2,-1.9,74.25,0,900.0\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\n399,299,37.9,0.00,-7,0.0\n"));
}

TEST_F(PatternCsvTest, StopsAtTheFirstPieceNotWrittenAndLeavesNoFile)
{
    auto doc = NewDoc(0.0f, 399.0f, 1.0f, 0.0f, 299.0f, 1.0f);
    ASSERT_TRUE(doc);
    int calls = 0;
    EXPECT_FALSE(WritePatternCsvText(*doc, [&](std::string_view) {
        ++calls;
        return false;
    }));
    EXPECT_EQ(calls, 1);

    QTemporaryDir dir;
    errno = 0;
    EXPECT_FALSE(WritePatternCsv(*doc, QFile::encodeName(dir.path())));
    EXPECT_EQ(errno, EISDIR) << "a folder is named as the reason";
    const QByteArray missing = QFile::encodeName(dir.filePath(QStringLiteral("none/out.csv")));
    EXPECT_FALSE(WritePatternCsv(*doc, missing));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

} // namespace
