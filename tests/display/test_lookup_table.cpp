#include "display/LookupTable.h"
#include "tests/display/DisplayTestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

#include <utility>

namespace {

ColourTable Filled(COLORREF colour)
{
    ColourTable table{};
    table.fill(colour);
    return table;
}

constexpr COLORREF kMark = 0x00ABCDEF;

} // namespace

TEST(LookupTable, WithoutTheVariableNothingIsRead)
{
    unsetenv("ORMA$SYSDATA:");
    unsetenv("ORMA_SYSDATA");
    ColourTable table = Filled(kMark);
    EXPECT_EQ(ReadLookupTable("any.lut", table), kLutNoDirectory);
    EXPECT_EQ(table, Filled(kMark));
    EXPECT_FALSE(LookupTableDirectory().has_value());
    EXPECT_TRUE(ListLookupTables().isEmpty());
}

TEST(LookupTable, DirectoryComesFromEitherVariableWithASlashAdded)
{
    unsetenv("ORMA$SYSDATA:");
    setenv("ORMA_SYSDATA", "/opt/orma/sys", 1);
    EXPECT_EQ(LookupTableDirectory().value_or(""), "/opt/orma/sys/");
    setenv("ORMA$SYSDATA:", "/data/luts/", 1);
    EXPECT_EQ(LookupTableDirectory().value_or(""), "/data/luts/");
    setenv("ORMA$SYSDATA:", "", 1);
    unsetenv("ORMA_SYSDATA");
    EXPECT_FALSE(LookupTableDirectory().has_value());
    unsetenv("ORMA$SYSDATA:");
}

TEST(LookupTable, ReadsSixtyFourColoursIntoGroupsOfFour)
{
    CLutDirectory dir;
    dir.WriteTable("ramp.lut", 64);
    ColourTable table = Filled(kMark);
    ASSERT_EQ(ReadLookupTable("ramp.lut", table), kLutDone);
    for (int k = 0; k < 64; ++k)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(table[static_cast<std::size_t>(4 * k + i)], Rgb(k, 2 * k, 3 * k)) << k;
}

TEST(LookupTable, FailuresLeaveTheTableAsItWas)
{
    CLutDirectory dir;
    dir.Write("empty.lut", "");
    dir.Write("one.lut", "only one line\n");
    QDir(QString::fromStdString(dir.Path())).mkdir(QStringLiteral("folder.lut"));
    ColourTable table = Filled(kMark);
    EXPECT_EQ(ReadLookupTable("missing.lut", table), kLutCannotOpen);
    EXPECT_EQ(ReadLookupTable("folder.lut", table), kLutCannotOpen);
    EXPECT_EQ(ReadLookupTable("", table), kLutCannotOpen);
    EXPECT_EQ(ReadLookupTable(std::string(300, 'x'), table), kLutCannotOpen);
    EXPECT_EQ(ReadLookupTable("empty.lut", table), kLutNoHeader);
    EXPECT_EQ(ReadLookupTable("one.lut", table), kLutNoHeader);
    EXPECT_EQ(table, Filled(kMark));
}

TEST(LookupTable, ShortFileReplacesOnlyTheColoursItHas)
{
    CLutDirectory dir;
    dir.WriteTable("ten.lut", 10);
    ColourTable table = Filled(kMark);
    EXPECT_EQ(ReadLookupTable("ten.lut", table), kLutShort);
    for (std::size_t i = 0; i < 40; ++i)
        EXPECT_EQ(table[i], Rgb(int(i / 4), int(2 * (i / 4)), int(3 * (i / 4)))) << i;
    for (std::size_t i = 40; i < 256; ++i)
        EXPECT_EQ(table[i], kMark) << i;
}

TEST(LookupTable, ValuesKeepTheirLowEightBits)
{
    CLutDirectory dir;
    std::string text = "h\nh\n256 300 -1\n";
    for (int k = 1; k < 64; ++k)
        text += "1 2 3\n";
    dir.Write("bits.lut", text);
    ColourTable table{};
    ASSERT_EQ(ReadLookupTable("bits.lut", table), kLutDone);
    EXPECT_EQ(table[0], Rgb(0, 44, 255));
}

TEST(LookupTable, LinesAreToleratedInEveryShape)
{
    CLutDirectory dir;
    // Commas, tabs and runs of them; CR LF ends; a missing blue, an empty line, words,
    // and a line far longer than any buffer that must stay one line.
    std::string text = "header\r\nheader\r\n";
    text += "10,20,\t30\r\n";                         // colour 0
    text += "  40\t\t50\r\n";                         // colour 1: blue missing
    text += "\r\n";                                   // colour 2: nothing
    text += "red green blue\n";                       // colour 3: no numbers
    text += "7 8 9 " + std::string(5000, '5') + "\n"; // colour 4
    text += "12abc 13 14 15 16\n";                    // colour 5: extra tokens ignored
    for (int k = 6; k < 64; ++k)
        text += "1 1 1\n";
    text += "99 99 99\n"; // a 65th line is not read
    dir.Write("shapes.lut", text);
    ColourTable table = Filled(kMark);
    ASSERT_EQ(ReadLookupTable("shapes.lut", table), kLutDone);
    EXPECT_EQ(table[0], Rgb(10, 20, 30));
    EXPECT_EQ(table[4], Rgb(40, 50, 0));
    EXPECT_EQ(table[8], Rgb(0, 0, 0));
    EXPECT_EQ(table[12], Rgb(0, 0, 0));
    EXPECT_EQ(table[16], Rgb(7, 8, 9));
    EXPECT_EQ(table[20], Rgb(12, 13, 14));
    EXPECT_EQ(table[255], Rgb(1, 1, 1));
}

TEST(LookupTable, ListsOnlyLutFilesSortedWithoutRegardToCase)
{
    CLutDirectory dir;
    dir.WriteTable("rainbow.lut", 64);
    dir.WriteTable("Grey.LUT", 64);
    dir.WriteTable("alpha.lut", 64);
    dir.Write("notes.txt", "x");
    QDir(QString::fromStdString(dir.Path())).mkdir(QStringLiteral("sub.lut"));
    EXPECT_EQ(ListLookupTables(),
              QStringList({QStringLiteral("alpha.lut"), QStringLiteral("Grey.LUT"),
                           QStringLiteral("rainbow.lut")}));
}

TEST(LookupTable, BundledTablesLieBesideTheProgramsFolder)
{
    QTemporaryDir root;
    const QDir dir(root.path());
    ASSERT_TRUE(dir.mkpath(QStringLiteral("bin")));
    EXPECT_FALSE(BundledLookupTableDirectory(root.filePath(QStringLiteral("bin"))).has_value());
    ASSERT_TRUE(dir.mkpath(QStringLiteral("share/vespira/lut")));
    EXPECT_EQ(BundledLookupTableDirectory(root.filePath(QStringLiteral("bin"))).value_or(""),
              root.filePath(QStringLiteral("share/vespira/lut/")).toStdString());
}

// The build tree's copy, as a program run from the build finds it: every table is
// complete, the computed ones run from their published first to their last colour, and
// the colour-scale dialog's list shows them all.
TEST(LookupTable, BundledTablesAreCompleteAndListed)
{
    const std::string directory = VESPIRA_BUILD_LUT_DIR "/";
    setenv("ORMA_SYSDATA", directory.c_str(), 1);
    const QStringList names = ListLookupTables();
    unsetenv("ORMA_SYSDATA");
    for (const char* name :
         {"grey.lut", "heat.lut", "hot.lut", "magma.lut", "rainbow.lut", "viridis.lut"})
        EXPECT_TRUE(names.contains(QLatin1String(name))) << name;
    for (const QString& name : names) {
        ColourTable table = Filled(kMark);
        EXPECT_EQ(ReadLookupTableFrom(directory, name.toStdString(), table), kLutDone)
            << name.toStdString();
    }
    const auto ends = [&directory](const char* name) {
        ColourTable table{};
        ReadLookupTableFrom(directory, name, table);
        return std::pair(table.front(), table.back());
    };
    EXPECT_EQ(ends("viridis.lut"), std::pair(Rgb(68, 1, 84), Rgb(253, 231, 37)));
    EXPECT_EQ(ends("magma.lut"), std::pair(Rgb(0, 0, 4), Rgb(252, 253, 191)));
    EXPECT_EQ(ends("heat.lut"), std::pair(Rgb(0, 0, 0), Rgb(255, 255, 255)));
    EXPECT_EQ(ends("grey.lut"), std::pair(Rgb(0, 0, 0), Rgb(255, 255, 255)));
}
