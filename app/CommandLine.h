#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// What the command line asks of a start.
struct CommandLineInfo
{
    bool splash = true;       // false for "/NOS" (first four characters) or --nosplash
    bool showHelp = false;    // --help: print the usage and end
    bool showVersion = false; // --version: print the version and end
    bool print = false;       // "/p" (any case) or --print: print the file and end
    bool shareLive = false;   // --share-live[=PORT]: share the live view at start-up
    int shareLivePort = -1;   // its port; -1 for the one in the settings
    QByteArray fileName;      // the pattern to open (or print), its bytes as given; empty for none
    QByteArrayList ignored;   // switches that mean nothing here, and extra file names
};

// Parses the arguments after the program name. "/NOS" counts only as the first four
// characters of the command line (any case). A word beginning with "-" is a switch; so
// is a word beginning with "/" unless it is a path (it holds a second "/" or names
// something that exists). Unknown switches are ignored, so a
// launcher's own flags do no harm. The first other word is the file to open; after "--"
// every word is a file name. "/p" or "--print" asks for that file to be printed on the
// default printer instead.
// The arguments are bytes, as the system gives them, so a file name that is not
// UTF-8 reaches the file system unchanged.
CommandLineInfo ParseCommandLine(const QByteArrayList& args);

QString UsageText();
QString VersionText();

// The version texts of the program.
inline constexpr char kSplashVersion[] = "1.1.00";
inline constexpr char kAboutVersion[] = "1.1.01";
inline constexpr char kAboutDate[] = "20 Nov 2003";
