#include "app/CommandLine.h"

#include <sys/stat.h>

namespace {

bool StartsWithNos(const QByteArray& word)
{
    return word.left(4).toUpper() == "/NOS";
}

bool IsSwitch(const QByteArray& word)
{
    if (word.startsWith('-'))
        return true;
    if (!word.startsWith('/'))
        return false;
    // On Linux an absolute path also begins with "/": a word with a second "/" or one
    // naming an existing file or folder is a path, anything else a Windows-style switch.
    if (word.indexOf('/', 1) >= 0)
        return false;
    struct stat info
    {};
    return ::stat(word.constData(), &info) != 0;
}

// "--share-live" or "--share-live=PORT" with a port from 1 to 65535; anything else after
// the "=" is ignored like an unknown switch.
bool ParseShareLive(const QByteArray& word, CommandLineInfo& info)
{
    if (word == "--share-live") {
        info.shareLive = true;
        return true;
    }
    if (!word.startsWith("--share-live="))
        return false;
    bool ok = false;
    const QByteArray digits = word.mid(13);
    const int port = digits.toInt(&ok);
    if (!ok || port < 1 || port > 65535 || digits.startsWith('+') || digits.startsWith('-'))
        return false;
    info.shareLive = true;
    info.shareLivePort = port;
    return true;
}

} // namespace

CommandLineInfo ParseCommandLine(const QByteArrayList& args)
{
    CommandLineInfo info;
    if (StartsWithNos(args.join(' ')))
        info.splash = false;

    bool switchesEnded = false;
    for (const QByteArray& word : args) {
        if (!switchesEnded && word == "--") {
            switchesEnded = true;
            continue;
        }
        if (!switchesEnded && IsSwitch(word)) {
            if (word == "--nosplash")
                info.splash = false;
            else if (word == "--help")
                info.showHelp = true;
            else if (word == "--version")
                info.showVersion = true;
            else if (word == "--print" || word.toLower() == "/p")
                info.print = true;
            else if (ParseShareLive(word, info))
                continue;
            else if (!(StartsWithNos(word) && &word == &args.front()))
                info.ignored << word;
            continue;
        }
        if (info.fileName.isEmpty() && !word.isEmpty())
            info.fileName = word;
        else
            info.ignored << word;
    }
    return info;
}

QString UsageText()
{
    return QStringLiteral(
        "Usage: vespira [/NOS | --nosplash] [FILE.rad]\n"
        "       vespira /p FILE.rad | --print FILE.rad\n"
        "\n"
        "Vespira shows radiography patterns collected by the ORMA measurement program\n"
        "and sends the targets picked on them back to it.\n"
        "\n"
        "  FILE.rad      open this Pattern & Selection file at start-up\n"
        "  /NOS          (first on the command line, any case) start without the splash\n"
        "  --nosplash    the same, spelled for Linux\n"
        "  /p, --print   print FILE.rad on the default printer and end, without a window\n"
        "  --share-live[=PORT]\n"
        "                share the live view in a web browser (on PORT, else the port of\n"
        "                the settings) and print its address\n"
        "  --help        show this text and end\n"
        "  --version     show the version and end\n"
        "\n"
        "When Vespira is already running, a second start brings the running copy to\n"
        "the front, hands it FILE.rad to open and ends.\n");
}

QString VersionText()
{
    return QStringLiteral("Vespira (ORMA Radiography) version %1, %2\n")
        .arg(QLatin1String(kAboutVersion), QLatin1String(kAboutDate));
}
