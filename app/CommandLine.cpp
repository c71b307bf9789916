#include "CommandLine.h"

#include <QFileInfo>

namespace {

bool IsSwitch(const QString& word)
{
    if (word.startsWith(QLatin1Char('-')))
        return true;
    if (!word.startsWith(QLatin1Char('/')))
        return false;
    // On Linux an absolute path also begins with "/": a word with a second "/" or one
    // naming an existing file or folder is a path, anything else a Windows-style switch.
    if (word.indexOf(QLatin1Char('/'), 1) >= 0)
        return false;
    return !QFileInfo::exists(word);
}

} // namespace

CommandLineInfo ParseCommandLine(const QStringList& args)
{
    CommandLineInfo info;
    const QString raw = args.join(QLatin1Char(' '));
    if (raw.left(4).compare(QLatin1String("/NOS"), Qt::CaseInsensitive) == 0)
        info.splash = false;

    bool switchesEnded = false;
    for (const QString& word : args) {
        if (!switchesEnded && word == QLatin1String("--")) {
            switchesEnded = true;
            continue;
        }
        if (!switchesEnded && IsSwitch(word)) {
            if (word == QLatin1String("--nosplash"))
                info.splash = false;
            else if (word == QLatin1String("--help"))
                info.showHelp = true;
            else if (word == QLatin1String("--version"))
                info.showVersion = true;
            else if (!(word.left(4).compare(QLatin1String("/NOS"), Qt::CaseInsensitive) == 0 &&
                       &word == &args.front()))
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
        "\n"
        "Vespira shows radiography patterns collected by the ORMA measurement program\n"
        "and sends the targets picked on them back to it.\n"
        "\n"
        "  FILE.rad      open this Pattern & Selection file at start-up\n"
        "  /NOS          (first on the command line, any case) start without the splash\n"
        "  --nosplash    the same, spelled for Linux\n"
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
