#include "base/NumberText.h"
#include "document/CPatternFile.h"
#include "tests/document/TestPatterns.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

// Files and messages must read and write a decimal point whatever the user's locale.
TEST(Locale, NumbersIgnoreADecimalCommaLocale)
{
    QTemporaryDir dir;
    const std::string target = dir.filePath("de_DE.UTF-8").toStdString();
    const std::string make = "localedef -i de_DE -f UTF-8 '" + target + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0)
        GTEST_SKIP() << "no de_DE locale source on this machine";
    setenv("LOCPATH", dir.path().toLocal8Bit().constData(), 1);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    ASSERT_STREQ(probe, "0,5"); // the locale really is in force

    EXPECT_EQ(FormatFixed(105.5, 2), "105.50");
    EXPECT_DOUBLE_EQ(CAtof("498.25"), 498.25);

    DocFixture f;
    CVespiraDoc doc(f.state);
    EXPECT_EQ(ReadPatternText(doc, kExamplePattern), PatternReadResult::Ok);
    EXPECT_FLOAT_EQ(doc.m_fBeamY, 498.25f);
    EXPECT_EQ(PatternFileText(doc), kExamplePattern);

    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
}
