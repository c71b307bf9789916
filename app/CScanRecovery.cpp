#include "app/CScanRecovery.h"

#include "app/CDocManager.h"
#include "base/FormatGmtNow.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"

#include <cstdio>
#include <memory>

std::optional<RecoveryChoice> RecoveryChoiceFromEnvironment()
{
    const QString value = qEnvironmentVariable("VESPIRA_RECOVERY").trimmed().toLower();
    if (value == QLatin1String("restore"))
        return RecoveryChoice::Restore;
    if (value == QLatin1String("discard"))
        return RecoveryChoice::Discard;
    if (value == QLatin1String("later"))
        return RecoveryChoice::Later;
    return std::nullopt;
}

QString RecoveryQuestionText(const std::vector<CScanJournal::Unfinished>& journals)
{
    const bool one = journals.size() == 1;
    QString text = one ? QStringLiteral("A scan was not saved when Vespira last ended:\n")
                       : QStringLiteral("Scans were not saved when Vespira last ended:\n");
    for (const CScanJournal::Unfinished& journal : journals) {
        const ScanJournalContents& c = journal.contents;
        char date[12];
        char time[12];
        FormatGmt(c.began, date, time);
        const long long total = static_cast<long long>(c.grid.nXPoints) * c.grid.nYPoints;
        text += QStringLiteral("%1: %2 of %3 points received, scan begun %4 %5 UTC.\n")
                    .arg(QString::fromLocal8Bit(c.title.c_str()))
                    .arg(c.ReceivedPoints())
                    .arg(total)
                    .arg(QLatin1String(date), QString::fromLatin1(time).trimmed());
    }
    text += one ? QStringLiteral("Restore it as a new pattern, discard it, or decide later?")
                : QStringLiteral("Restore them as new patterns, discard them, or decide later?");
    return text;
}

std::vector<CVespiraDoc*> OfferUnfinishedScans(CScanJournal& journal, CDocManager& docs,
                                               DocumentServices& services, IHostUi& ui,
                                               std::optional<RecoveryChoice> preset)
{
    std::vector<CScanJournal::Unfinished> found = journal.FindUnfinished();
    if (found.empty())
        return {};
    const QString question = RecoveryQuestionText(found);
    RecoveryChoice choice = RecoveryChoice::Later;
    if (preset) {
        // Shown as every message is, so a log tells what was decided.
        std::fprintf(stderr, "%s\n", MessageLine(question).toLocal8Bit().constData());
        std::fflush(stderr);
        choice = *preset;
    } else {
        // Enter restores; closing the box keeps everything for later.
        const int answer = ui.AskQuestion(
            question,
            {QStringLiteral("&Restore"), QStringLiteral("&Discard"), QStringLiteral("&Later")}, 0,
            2);
        choice = answer == 0   ? RecoveryChoice::Restore
                 : answer == 1 ? RecoveryChoice::Discard
                               : RecoveryChoice::Later;
    }

    std::vector<CVespiraDoc*> restored;
    for (CScanJournal::Unfinished& unfinished : found) {
        if (choice == RecoveryChoice::Discard) {
            unfinished.file.Remove();
            continue;
        }
        if (choice == RecoveryChoice::Later)
            continue;
        auto doc = std::make_unique<CVespiraDoc>(services);
        if (!RestoreScanJournal(unfinished.contents, *doc)) {
            ui.ShowMessage(QStringLiteral("The scan %1 cannot be restored: its grid does not "
                                          "fit in memory. Its journal stays in %2.")
                               .arg(QString::fromLocal8Bit(unfinished.contents.title.c_str()),
                                    journal.Folder()));
            continue;
        }
        const QString title = QString::fromLocal8Bit(unfinished.contents.title.c_str());
        CVespiraDoc* shown = docs.AddDocument(std::move(doc), title);
        journal.Adopt(*shown, std::move(unfinished));
        restored.push_back(shown);
    }
    return restored;
}
