#include "app/CScanRecovery.h"

#include "app/CDocManager.h"
#include "base/FormatGmtNow.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"

#include <QApplication>

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
        const long long total = static_cast<long long>(c.grid.nXPoints) * c.grid.nYPoints;
        text += QStringLiteral("%1: %2 of %3 points received (%4 x %5 grid), scan begun %6.")
                    .arg(RecoveryTitle(journal))
                    .arg(c.ReceivedPoints())
                    .arg(total)
                    .arg(c.grid.nXPoints)
                    .arg(c.grid.nYPoints)
                    .arg(QString::fromLatin1(JournalTimeText(c.began).c_str()));
        if (const QString note = RecoveryNote(journal); !note.isEmpty())
            text += QLatin1Char(' ') + note;
        text += QLatin1Char('\n');
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
    // On standard error as every message is, so a log tells what was found.
    std::fprintf(stderr, "%s\n",
                 MessageLine(RecoveryQuestionText(found)).toLocal8Bit().constData());
    std::fflush(stderr);
    std::vector<RecoveryChoice> choices(found.size(), preset.value_or(RecoveryChoice::Later));
    if (!preset) {
        CRecoveryDlg dialog(found, QApplication::activeWindow());
        if (ui.ExecDialog(dialog) == QDialog::Accepted)
            choices = dialog.Choices();
    }

    std::vector<CVespiraDoc*> restored;
    QStringList problems;
    const QString folder = journal.Folder();
    for (std::size_t i = 0; i < found.size(); ++i) {
        CScanJournal::Unfinished& unfinished = found[i];
        const QString title = RecoveryTitle(unfinished);
        std::string error;
        if (choices[i] == RecoveryChoice::Discard) {
            if (!journal.Discard(unfinished, error))
                problems << QStringLiteral("The journal of %1 cannot be removed: %2.")
                                .arg(title, QString::fromLocal8Bit(error.c_str()));
            continue;
        }
        if (choices[i] == RecoveryChoice::Later)
            continue;
        auto doc = std::make_unique<CVespiraDoc>(services);
        if (!RestoreScanJournal(unfinished.contents, *doc)) {
            problems << QStringLiteral("The scan %1 cannot be restored: its grid does not fit in "
                                       "memory. Its journal stays in %2.")
                            .arg(title, folder);
            continue;
        }
        CVespiraDoc* shown =
            docs.AddDocument(std::move(doc), QString::fromUtf8(unfinished.contents.title.c_str()));
        const QString path = QString::fromLocal8Bit(unfinished.path.c_str());
        if (!journal.Adopt(*shown, std::move(unfinished), error))
            problems << QStringLiteral("The scan %1 is restored, but its journal cannot be kept "
                                       "on (%2): it stays as %3 and is offered again at the next "
                                       "start.")
                            .arg(title, QString::fromLocal8Bit(error.c_str()), path);
        restored.push_back(shown);
    }
    if (!problems.isEmpty())
        ui.ShowMessage(problems.join(QLatin1Char('\n')));
    return restored;
}
