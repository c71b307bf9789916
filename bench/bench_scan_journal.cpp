// What the scan journal costs a scan: one million points of a 1000 x 1000 pattern through
// the journal as the remote commands hand them over, the time to read them back into a
// pattern after a crash, and what a thousand unsaved scans hold open. Prints its figures.
#include "document/CVespiraDoc.h"
#include "journal/CJournalFile.h"
#include "journal/CScanJournal.h"
#include "tests/common/TestProgram.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

long long Entries(const char* folder)
{
    return QDir(QString::fromLatin1(folder))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
        .size();
}

} // namespace

int main()
{
    QTemporaryDir dir;
    CStderrUi ui;
    CTestProgram state(ui);
    state.liveScan.SetPendingGrid(ScanGrid{1000, 1000, 0.0f, 999.0f, 1.0f, 0.0f, 999.0f, 1.0f});
    CScanJournal journal(ui, dir.filePath("state"));
    std::string path;
    {
        CVespiraDoc doc(state);
        if (!doc.OnNewDocument())
            return 1;
        journal.ScanStarted(doc);
        path = journal.PathOf(doc);
        const auto start = Clock::now();
        for (int i = 0; i < doc.PointCount(); ++i)
            journal.PointStored(doc, i % 1000, i / 1000, 10000 + (i * 7919) % 90000);
        const double seconds = Seconds(start);
        std::printf("journal 1,000,000 points   %8.3f s   %6.2f us a point   %9.0f points/s\n",
                    seconds, seconds * 1e6 / doc.PointCount(), doc.PointCount() / seconds);
        std::printf("journal file               %8.1f MB\n",
                    static_cast<double>(QFileInfo(QString::fromStdString(path)).size()) / 1e6);
        journal.ScanEnded(doc);
        journal.DocumentDestroyed(doc);
    }

    const auto start = Clock::now();
    auto found = journal.FindUnfinished();
    CVespiraDoc restored(state);
    if (found.size() != 1 || !RestoreScanJournal(found[0].contents, restored))
        return 1;
    std::printf("restore 1,000,000 points   %8.3f s\n", Seconds(start));
    std::string error;
    if (!journal.Discard(found[0], error))
        return 1;

    // A thousand scans left unsaved, each with a point: descriptors and threads they hold.
    state.liveScan.SetPendingGrid(ScanGrid{2, 2, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 1.0f});
    const long long fds = Entries("/proc/self/fd");
    const long long threads = Entries("/proc/self/task");
    std::vector<std::unique_ptr<CVespiraDoc>> docs;
    const auto made = Clock::now();
    for (int i = 0; i < 1000; ++i) {
        docs.push_back(std::make_unique<CVespiraDoc>(state));
        if (!docs.back()->OnNewDocument())
            return 1;
        journal.ScanStarted(*docs.back());
        journal.PointStored(*docs.back(), 1, 1, i);
    }
    std::printf("1,000 unsaved scans        %8.3f s   %lld more descriptors, %lld more threads\n",
                Seconds(made), Entries("/proc/self/fd") - fds,
                Entries("/proc/self/task") - threads);
    return 0;
}
