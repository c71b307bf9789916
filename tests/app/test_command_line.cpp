#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

CommandLineInfo Parse(std::initializer_list<const char*> words)
{
    QByteArrayList args;
    for (const char* w : words)
        args << QByteArray(w);
    return ParseCommandLine(args);
}

} // namespace

TEST(CommandLine, EmptyShowsSplashAndOpensNothing)
{
    const CommandLineInfo info = Parse({});
    EXPECT_TRUE(info.splash);
    EXPECT_TRUE(info.fileName.isEmpty());
    EXPECT_FALSE(info.showHelp);
    EXPECT_FALSE(info.showVersion);
}

TEST(CommandLine, NosInAnyCaseSwitchesTheSplashOff)
{
    EXPECT_FALSE(Parse({"/NOS"}).splash);
    EXPECT_FALSE(Parse({"/nos"}).splash);
    EXPECT_FALSE(Parse({"/NoSplash"}).splash);
    EXPECT_FALSE(Parse({"--nosplash"}).splash);
    EXPECT_FALSE(Parse({"a.rad", "--nosplash"}).splash);
}

TEST(CommandLine, NosFollowedByAFileOpensTheFile)
{
    const CommandLineInfo info = Parse({"/NOS", "scan.rad"});
    EXPECT_FALSE(info.splash);
    EXPECT_EQ(info.fileName, "scan.rad");
    EXPECT_TRUE(info.ignored.isEmpty());
}

TEST(CommandLine, NosCountsOnlyAsTheFirstFourCharacters)
{
    const CommandLineInfo dash = Parse({"-NOS"});
    EXPECT_TRUE(dash.splash);
    EXPECT_TRUE(dash.fileName.isEmpty());
    EXPECT_EQ(dash.ignored, QByteArrayList{"-NOS"});

    const CommandLineInfo after = Parse({"scan.rad", "/NOS"});
    EXPECT_TRUE(after.splash);
    EXPECT_EQ(after.fileName, "scan.rad");
}

TEST(CommandLine, UnknownSwitchesAreIgnored)
{
    const CommandLineInfo info = Parse({"/q", "-x", "--whatever", "scan.rad"});
    EXPECT_TRUE(info.splash);
    EXPECT_EQ(info.fileName, "scan.rad");
    EXPECT_EQ(info.ignored.size(), 3);
}

TEST(CommandLine, AbsolutePathsAreFilesNotSwitches)
{
    const CommandLineInfo info = Parse({"/home/user/patterns/scan.rad"});
    EXPECT_EQ(info.fileName, "/home/user/patterns/scan.rad");
    EXPECT_TRUE(info.splash);
    // An existing top-level entry is a path too.
    EXPECT_EQ(Parse({"/tmp"}).fileName, "/tmp");
}

TEST(CommandLine, DoubleDashEndsTheSwitches)
{
    const CommandLineInfo info = Parse({"--", "-odd-name.rad"});
    EXPECT_EQ(info.fileName, "-odd-name.rad");
}

TEST(CommandLine, FirstFileWinsTheRestIsIgnored)
{
    const CommandLineInfo info = Parse({"a.rad", "b.rad"});
    EXPECT_EQ(info.fileName, "a.rad");
    EXPECT_EQ(info.ignored, QByteArrayList{"b.rad"});
}

TEST(CommandLine, AFileNameKeepsItsBytes)
{
    const CommandLineInfo info = Parse({"/NOS", "lat\xe9.rad", "/tmp/\xff\xfe"});
    EXPECT_EQ(info.fileName, QByteArray("lat\xe9.rad"));
    EXPECT_EQ(info.ignored, QByteArrayList{"/tmp/\xff\xfe"});
}

TEST(CommandLine, HelpAndVersion)
{
    EXPECT_TRUE(Parse({"--help"}).showHelp);
    EXPECT_TRUE(Parse({"--version"}).showVersion);
    EXPECT_TRUE(UsageText().contains(QStringLiteral("/NOS")));
    EXPECT_TRUE(VersionText().contains(QStringLiteral("1.1.01")));
}

TEST(CommandLine, PrintSwitchPrintsTheFileNamedWithIt)
{
    for (const char* flag : {"/p", "/P", "--print"}) {
        const CommandLineInfo info = Parse({flag, "scan.rad"});
        EXPECT_TRUE(info.print) << flag;
        EXPECT_EQ(info.fileName, QStringLiteral("scan.rad")) << flag;
        EXPECT_TRUE(info.ignored.isEmpty()) << flag;
    }
    const CommandLineInfo nos = Parse({"/NOS", "/p", "/data/scan.rad"});
    EXPECT_TRUE(nos.print);
    EXPECT_FALSE(nos.splash);
    EXPECT_EQ(nos.fileName, QStringLiteral("/data/scan.rad"));
    // A file called "p" in a folder is a file, not the switch.
    EXPECT_FALSE(Parse({"./p"}).print);
    EXPECT_FALSE(Parse({"scan.rad"}).print);
    EXPECT_TRUE(Parse({"--print"}).fileName.isEmpty());
}
