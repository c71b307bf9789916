#include "base/FixedText.h"
#include "base/NumberText.h"
#include "document/CPatternFile.h"
#include "document/CTargetHistory.h"
#include "tests/document/TestPatterns.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

std::string Cut(const std::string& text, const std::string& after)
{
    return text.substr(0, text.find(after) + after.size());
}

// Caps the address space for a while, so a reader that slurps an endless or enormous
// file fails fast instead of taking the machine's memory.
class CAddressSpaceCap
{
public:
    explicit CAddressSpaceCap(rlim_t extraBytes)
    {
        getrlimit(RLIMIT_AS, &m_old);
        long pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(statm);
        }
        rlimit capped = m_old;
        capped.rlim_cur = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + extraBytes;
        setrlimit(RLIMIT_AS, &capped);
    }
    ~CAddressSpaceCap() { setrlimit(RLIMIT_AS, &m_old); }

private:
    rlimit m_old{};
};

} // namespace

class PatternReaderTest : public ::testing::Test, protected DocFixture
{
protected:
    PatternReaderTest() : doc(state) {}

    // Reads text through a real file, as File Open does.
    bool Open(const std::string& text)
    {
        const QString path = dir.filePath("in.rad");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.close();
        return doc.OnOpenDocument(QFile::encodeName(path));
    }

    QTemporaryDir dir;
    CVespiraDoc doc;
};

TEST_F(PatternReaderTest, ReadsTheExample)
{
    ASSERT_TRUE(Open(kExamplePattern));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(doc.m_nXPoints, 5);
    EXPECT_EQ(doc.m_nYPoints, 3);
    EXPECT_EQ(doc.m_pIntensity[doc.IndexOf(0, 0)], 10);
    EXPECT_EQ(doc.m_pIntensity[doc.IndexOf(4, 2)], 34);
    EXPECT_EQ(doc.m_nMaxIntensity, 63);
    EXPECT_FLOAT_EQ(doc.m_pScanTime[doc.IndexOf(1, 2)], 900.0f);
    EXPECT_EQ(doc.ScanCount(), 1);
    EXPECT_FALSE(doc.History().CanUndo());
    EXPECT_STREQ(doc.m_szFileName, "sample.rad");
    EXPECT_STREQ(doc.m_szCreatedDate, "2003-03-02");
    EXPECT_STREQ(doc.m_szCreatedTime, " 8:07:06");
    EXPECT_STREQ(doc.m_szModifiedDate, "2003-03-02");
    EXPECT_STREQ(doc.m_szModifiedTime, "14:20:00");
    EXPECT_FLOAT_EQ(doc.m_fMeasTime, 10.0f);
    EXPECT_EQ(doc.m_nKV, 40);
    EXPECT_EQ(doc.m_nMA, 50);
    EXPECT_FLOAT_EQ(doc.m_fDetDistance, 105.5f);
    EXPECT_FLOAT_EQ(doc.m_fBeamY, 498.25f);
    EXPECT_EQ(doc.m_nImageSize, 1024);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(state.liveScan.Document(), nullptr);
    EXPECT_EQ(doc.m_nLastCol, 4);
    EXPECT_EQ(doc.m_nCellSize, -1);

    // Writing it again gives the same text.
    EXPECT_EQ(PatternFileText(doc), kExamplePattern);
}

TEST_F(PatternReaderTest, ALargerIntensityRaisesTheMaximum)
{
    ASSERT_TRUE(Open(Replace(kExamplePattern, " 22 ", " 500 ")));
    EXPECT_EQ(doc.m_nMaxIntensity, 500);
}

TEST_F(PatternReaderTest, AcceptsCrLfAndALowerCaseTitle)
{
    std::string crlf;
    for (char c : kExamplePattern)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ASSERT_TRUE(Open(crlf));
    EXPECT_STREQ(doc.m_szModifiedTime, "14:20:00");
    EXPECT_EQ(PatternFileText(doc), kExamplePattern);

    ASSERT_TRUE(Open(Replace(kExamplePattern, "ORMA Radiography Pattern & Selection File",
                             "orma radiography pattern & selection file")));
    EXPECT_EQ(doc.m_nYPoints, 3);
}

TEST_F(PatternReaderTest, RefusesWhatIsNotAPattern)
{
    ASSERT_TRUE(Open(kExamplePattern));
    const auto intensities = doc.m_pIntensity;
    for (const std::string& text : {std::string("ORMA Radiography Pattern"), std::string(),
                                    Replace(kExamplePattern, "Selection File", "Selection Fil_")}) {
        ui.messages.clear();
        EXPECT_FALSE(Open(text));
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(ui.messages[0], "Requested file in not a ORMA Radiography document");
        EXPECT_EQ(doc.m_pIntensity, intensities);
        EXPECT_EQ(doc.m_nKV, 40);
    }
}

TEST_F(PatternReaderTest, EndOfFileAnywhereBeforeTheEndIsAReadError)
{
    const std::string truncated[] = {
        Cut(kExamplePattern, "Y: beg: 0.0 end: 1.0 inc: 0.5\n"),
        Cut(kExamplePattern, "20 21 22"),
        Cut(kExamplePattern, "End Radiography:\n"),
        Cut(kExamplePattern, "Begin Selection:\n"),
        Cut(kExamplePattern, "time: 900.0\n"),
    };
    for (const auto& text : truncated) {
        ui.messages.clear();
        EXPECT_FALSE(Open(text)) << text;
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(ui.messages[0], "Error reading requested file as a ORMA Radiography document");
    }
}

TEST_F(PatternReaderTest, AMissingFileIsRefusedSilently)
{
    EXPECT_FALSE(doc.OnOpenDocument(QFile::encodeName(dir.filePath("nothing.rad"))));
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(PatternReaderTest, KeepsWhatTheFileDoesNotSet)
{
    doc.m_fBackgroundX = 7.5f;
    doc.m_nBackgroundKV = 45;
    CopyText(doc.m_szBackgroundFile, "old.dat");
    doc.m_nKV = 99;
    ASSERT_TRUE(Open(kExamplePattern));
    EXPECT_FLOAT_EQ(doc.m_fBackgroundX, 7.5f);
    EXPECT_EQ(doc.m_nBackgroundKV, 45);
    EXPECT_STREQ(doc.m_szBackgroundFile, "");

    const std::string withBackground =
        Replace(kExamplePattern, "X: beg:",
                "BCKGRD: file: cell b.dat\nBCKGRD: x: 1.50  y: -2.25  kv: 40  ma: 30  time: "
                "600.0\nX: beg:");
    ASSERT_TRUE(Open(withBackground));
    EXPECT_STREQ(doc.m_szBackgroundFile, "cell b.dat");
    EXPECT_FLOAT_EQ(doc.m_fBackgroundY, -2.25f);
    EXPECT_EQ(doc.m_nBackgroundMA, 30);
    EXPECT_FLOAT_EQ(doc.m_fBackgroundTime, 600.0f);
    EXPECT_EQ(PatternFileText(doc), withBackground);
}

TEST_F(PatternReaderTest, ReadsLongLinesInPiecesOf127)
{
    const std::string name(200, 'n');
    ASSERT_TRUE(Open(Replace(kExamplePattern, "File: sample.rad", "File: " + name)));
    EXPECT_EQ(std::strlen(doc.m_szFileName), 121u);

    // A 131-character intensity line splits after 127 characters, inside "99".
    std::string values;
    for (int i = 0; i < 14; ++i)
        values.append(i ? " 12345678" : "12345678");
    values += " 99 77";
    ASSERT_EQ(values.size(), 131u);
    ASSERT_TRUE(
        Open(Replace(kExamplePattern, "10 11 12 13 14 20 21 22 23 24 30 31 32 33 34", values)));
    EXPECT_EQ(doc.m_pIntensity[13], 12345678);
    EXPECT_EQ(doc.m_pIntensity[14], 9);
    ASSERT_EQ(doc.PointCount(), 15);
}

TEST_F(PatternReaderTest, CutsOverlongDateAndTimeTexts)
{
    ASSERT_TRUE(Open(
        Replace(kExamplePattern, "2003-03-02 14:20:00", "2003-03-02-and-more 14:20:00.123456789")));
    EXPECT_STREQ(doc.m_szModifiedDate, "2003-03-02-");
    EXPECT_STREQ(doc.m_szModifiedTime, "14:20:00.12");
    EXPECT_STREQ(doc.m_szCreatedTime, " 8:07:06");
}

TEST_F(PatternReaderTest, RefusesGridsThatCannotBeAllocated)
{
    ASSERT_TRUE(Open(kExamplePattern));
    const std::string bad[] = {
        Replace(kExamplePattern, "inc: 0.5\nY", "inc: 0\nY"),
        Replace(kExamplePattern, "end: 1.0 inc: 0.5", "end: 1.0 inc: -0.5"),
        Replace(kExamplePattern, "X: beg: 0.0 end: 2.0", "X: beg: 0.0 end: nan"),
        Replace(kExamplePattern, "X: beg: 0.0 end: 2.0 inc: 0.5\nY: beg: 0.0 end: 1.0",
                "X: beg: 0.0 end: 8000.0 inc: 1\nY: beg: 0.0 end: 8000.0"),
    };
    for (const auto& text : bad) {
        ui.messages.clear();
        EXPECT_FALSE(Open(text));
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(ui.messages[0], "Error reading requested file as a ORMA Radiography document");
        EXPECT_EQ(doc.PointCount(), 15); // the old grid stays
        EXPECT_EQ(doc.m_pIntensity.size(), 15u);
    }

    // Without an X line the grid keeps the X axis it had; a fresh document has none.
    const std::string noX = Replace(kExamplePattern, "X: beg: 0.0 end: 2.0 inc: 0.5\n", "");
    EXPECT_TRUE(Open(noX));
    CVespiraDoc fresh(state);
    const QString path = dir.filePath("in.rad");
    EXPECT_FALSE(fresh.OnOpenDocument(QFile::encodeName(path)));
    EXPECT_TRUE(fresh.m_pIntensity.empty());
}

TEST_F(PatternReaderTest, TellsAGridOverTheLimitFromOtherReadErrors)
{
    const std::string tooLarge =
        Replace(kExamplePattern, "X: beg: 0.0 end: 2.0 inc: 0.5\nY: beg: 0.0 end: 1.0",
                "X: beg: 0.0 end: 4096.0 inc: 1\nY: beg: 0.0 end: 4095.0");
    EXPECT_EQ(ReadPatternText(doc, tooLarge), PatternReadResult::GridTooLarge);
    EXPECT_EQ(ReadPatternText(doc, Replace(kExamplePattern, "inc: 0.5\nY", "inc: 0\nY")),
              PatternReadResult::ReadError);
    EXPECT_EQ(ReadPatternFileQuietly(doc, "/nonexistent/in.rad"), PatternReadResult::CannotOpen);
}

TEST_F(PatternReaderTest, RefusesAGridThatDoesNotFitInTheFreeMemory)
{
    ASSERT_TRUE(Open(kExamplePattern));
    state.services.availableMemory = [] {
        return std::optional<std::uint64_t>(kMemoryReserve + 1000);
    };
    const std::string bigger = Replace(kExamplePattern, "X: beg: 0.0 end: 2.0 inc: 0.5",
                                       "X: beg: 0.0 end: 200.0 inc: 0.5");
    EXPECT_FALSE(Open(bigger));
    EXPECT_EQ(ui.messages,
              QStringList{"Error reading requested file as a ORMA Radiography document"});
    EXPECT_EQ(doc.PointCount(), 15);
    ui.messages.clear();
    EXPECT_TRUE(Open(kExamplePattern)) << "15 points fit";
}

TEST_F(PatternReaderTest, DropsValuesAndTargetsOutsideTheGrid)
{
    std::string text = Replace(kExamplePattern, "32 33 34", "32 33 34 35 36\n37 38 99999");
    text = Replace(text, "1:  x: 0.5  y: 0.0  time: 900.0",
                   "1:  x: 0.5  y: 0.0  time: 900.0\n2:  x: 50.0  y: 0.0  time: 5.0\n"
                   "3:  x: 1.0  y: -9.0  time: 5.0\n4:  x: 0.5  y: 0.0  time: 30.0");
    ASSERT_TRUE(Open(text));
    EXPECT_EQ(doc.m_pIntensity.back(), 34);
    EXPECT_EQ(doc.m_nMaxIntensity, 63);
    EXPECT_EQ(doc.ScanCount(), 1);
    EXPECT_FLOAT_EQ(doc.m_pScanTime[doc.IndexOf(1, 2)], 30.0f);
    const auto read = doc.m_pScanTime;
    doc.ClearAll();
    doc.Undo();
    EXPECT_EQ(doc.m_pScanTime, read) << "undo starts at the selection read";
    EXPECT_FALSE(doc.History().CanUndo());
}

TEST_F(PatternReaderTest, ToleratesHeaderLinesWithoutTheirKeywords)
{
    const std::string text =
        Replace(Replace(Replace(kExamplePattern,
                                "DET: dist: 105.50  x: 512.00  y: 498.25  size: 1024", "DET:"),
                        "GMT: created: 2003-03-02  8:07:06  modified: 2003-03-02 14:20:00", "GMT:"),
                "File: sample.rad", "File");
    ASSERT_TRUE(Open(text));
    EXPECT_EQ(doc.m_nImageSize, 0);
    EXPECT_STREQ(doc.m_szFileName, "");
    EXPECT_STREQ(doc.m_szCreatedDate, "");
    EXPECT_EQ(doc.m_nXPoints, 5);
}

TEST_F(PatternReaderTest, ANulEndsTheTextOfItsLine)
{
    std::string text = kExamplePattern;
    text.insert(text.find("sample.rad") + 6, 1, '\0');
    ASSERT_TRUE(Open(text));
    EXPECT_STREQ(doc.m_szFileName, "sample");
}

TEST_F(PatternReaderTest, RoundTripKeepsEveryValue)
{
    auto made = NewDoc(-3.0f, 3.0f, 0.125f, -1.0f, 2.0f, 0.1f);
    ASSERT_TRUE(made);
    for (int i = 0; i < made->PointCount(); ++i)
        made->m_pIntensity[i] = (i * 7919) % 100003 - 50;
    for (int i = 0; i < made->PointCount(); i += 37)
        made->m_pScanTime[i] = 0.5f * static_cast<float>(i % 11 + 1);
    CopyText(made->m_szBackgroundFile, "bg.dat");
    made->m_fBackgroundTime = 12.5f;
    const std::string first = PatternFileText(*made);
    ASSERT_TRUE(Open(first));
    EXPECT_EQ(doc.m_pIntensity, made->m_pIntensity);
    EXPECT_EQ(doc.m_pScanTime, made->m_pScanTime);
    EXPECT_EQ(PatternFileText(doc), first);
}

TEST_F(PatternReaderTest, RefusesDevicesFifosAndFoldersWithoutBlocking)
{
    ASSERT_TRUE(Open(kExamplePattern));
    const QByteArray fifo = QFile::encodeName(dir.filePath("fifo"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    CAddressSpaceCap cap(rlim_t{1} << 30);
    for (const QString& path : {QStringLiteral("/dev/zero"), QFile::decodeName(fifo), dir.path()}) {
        ui.messages.clear();
        auto reading = std::async(std::launch::async,
                                  [&] { return doc.OnOpenDocument(QFile::encodeName(path)); });
        if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            // Give the blocked open its writer so the test can end.
            ::close(::open(fifo.constData(), O_WRONLY | O_NONBLOCK));
            reading.wait();
            FAIL() << "blocked on " << path.toStdString();
        }
        EXPECT_FALSE(reading.get()) << path.toStdString();
        EXPECT_TRUE(ui.messages.isEmpty()) << path.toStdString();
        EXPECT_EQ(doc.PointCount(), 15);
    }
}

TEST_F(PatternReaderTest, HoldsNoMoreOfAFileThanItUses)
{
    // 64 GiB of holes after the text: reading all of it first could never work.
    const off_t huge = off_t{64} << 30;
    CAddressSpaceCap cap(rlim_t{1} << 30);
    const QString path = dir.filePath("in.rad");
    const std::string texts[] = {"Not a pattern at all, but a long file", kExamplePattern};
    for (const std::string& text : texts) {
        ui.messages.clear();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.close();
        ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), huge), 0);
        bool read = false;
        EXPECT_NO_THROW(read = doc.OnOpenDocument(QFile::encodeName(path)));
        if (text == kExamplePattern) {
            EXPECT_TRUE(read);
            EXPECT_TRUE(ui.messages.isEmpty());
            EXPECT_EQ(doc.m_pIntensity[doc.IndexOf(4, 2)], 34);
        } else {
            EXPECT_FALSE(read);
            EXPECT_EQ(ui.messages,
                      QStringList{"Requested file in not a ORMA Radiography document"});
        }
    }
}

TEST_F(PatternReaderTest, UndoBringsBackTheLoadedSelectionThenTheOneBeforeClearAll)
{
    ASSERT_TRUE(Open(kExamplePattern));
    const auto pick = [this](int col, int row, float time) {
        doc.BeginTargetStep(QStringLiteral("Point"));
        doc.SetScanTime(col, row, time);
        doc.EndTargetStep();
    };
    const auto loaded = doc.m_pScanTime;
    pick(0, 0, 30.0f);
    EXPECT_TRUE(doc.IsModified());
    doc.Undo();
    EXPECT_EQ(doc.m_pScanTime, loaded);
    EXPECT_FALSE(doc.IsModified()) << "back at the selection read";

    pick(4, 0, 60.0f);
    const auto beforeClear = doc.m_pScanTime;
    doc.ClearAll();
    EXPECT_EQ(doc.ScanCount(), 0);
    pick(2, 1, 5.0f);
    doc.Undo();
    doc.Undo();
    EXPECT_EQ(doc.m_pScanTime, beforeClear);
    doc.Undo();
    EXPECT_EQ(doc.m_pScanTime, loaded);
    EXPECT_FALSE(doc.History().CanUndo()) << "nothing before the selection read";
    // Clear All and Undo restamp nothing; back at the state read, the pattern is unchanged.
    EXPECT_FALSE(doc.IsModified());
    EXPECT_STREQ(doc.m_szModifiedDate, "2003-03-02");
    EXPECT_STREQ(doc.m_szModifiedTime, "14:20:00");
}

namespace {

// A pattern of one row holding the given intensity lines, with room for every value.
std::string RowPattern(const std::vector<std::string>& lines, std::size_t values)
{
    std::string text = "ORMA Radiography Pattern & Selection File\n"
                       "X: beg: 0 end: " +
                       std::to_string(values - 1) +
                       " inc: 1\n"
                       "Y: beg: 0 end: 0 inc: 1\n"
                       "Begin Radiography:\n";
    for (const std::string& line : lines)
        text += line + '\n';
    return text + "End Radiography:\nBegin Selection:\nEnd Selection:\n";
}

} // namespace

// Lines of plain digits are read by a quicker path than other lines; both must give what
// the rule gives: one value at the start and one after every space, each read as atol
// reads the rest of the line.
TEST_F(PatternReaderTest, EveryIntensityLineGivesTheValuesOfTheGeneralRule)
{
    std::mt19937 random(20261209);
    const std::string alphabet = "0123456789012345678901234567890123456789  +-\tx";
    const std::vector<std::string> runs = {"2147483647",
                                           "2147483648",
                                           "999999999999999999",
                                           "9999999999999999999",
                                           "00000000000000000000042",
                                           "4294967296"};
    std::vector<std::string> lines;
    std::vector<int> expected;
    for (int n = 0; n < 3000; ++n) {
        std::string line;
        // Shorter than a piece: a line of 127 characters or more is read in pieces.
        const std::size_t length = random() % 127;
        while (line.size() < length) {
            if (random() % 8 == 0)
                line += runs[random() % runs.size()];
            else if (random() % 3 == 0)
                line += ' ';
            else
                line += alphabet[random() % (n % 2 == 0 ? 10 : alphabet.size())];
        }
        line.resize(length);
        lines.push_back(line);
        for (std::size_t p = 0;; ++p) {
            expected.push_back(CAtol(std::string_view(line).substr(p)));
            p = line.find(' ', p);
            if (p == std::string::npos)
                break;
        }
    }
    ASSERT_EQ(ReadPatternText(doc, RowPattern(lines, expected.size())), PatternReadResult::Ok);
    ASSERT_EQ(doc.m_pIntensity.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(doc.m_pIntensity[i], expected[i]) << "value " << i;
    EXPECT_EQ(doc.m_nMaxIntensity, std::max(state.services.initialMaxIntensity,
                                            *std::max_element(expected.begin(), expected.end())));
}

// CR LF is read as LF wherever the file's chunks happen to cut it.
TEST_F(PatternReaderTest, CrLfReadsAsLfWhereverAReadEnds)
{
    auto made = NewDoc(0.0f, 199.0f, 1.0f, 0.0f, 99.0f, 1.0f);
    ASSERT_TRUE(made);
    for (int i = 0; i < made->PointCount(); ++i)
        made->m_pIntensity[i] = i % 1000;
    made->m_pScanTime[made->PointCount() - 1] = 5.0f;
    // Padding the file name moves every later CR by one byte, past any chunk boundary.
    for (int pad = 0; pad < 90; ++pad) {
        CopyText(made->m_szFileName, std::string(static_cast<std::size_t>(pad), 'n'));
        const std::string lf = PatternFileText(*made);
        std::string crlf;
        for (const char c : lf)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        CVespiraDoc read(state);
        ASSERT_EQ(ReadPatternText(read, crlf), PatternReadResult::Ok) << "pad " << pad;
        ASSERT_EQ(PatternFileText(read), lf) << "pad " << pad;
    }
}
