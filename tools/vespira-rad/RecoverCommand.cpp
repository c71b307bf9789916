#include "tools/vespira-rad/RecoverCommand.h"

#include "document/CVespiraDoc.h"
#include "journal/CJournalFile.h"
#include "journal/ScanJournalFormat.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

void Fail(const std::string& text)
{
    std::fprintf(stderr, "vespira-rad: %s\n", text.c_str());
}

// The same file, whatever the spelling of its path or the links on the way.
bool SameFile(const char* a, const char* b)
{
    struct stat first
    {};
    struct stat second
    {};
    return ::stat(a, &first) == 0 && ::stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

std::string Lines(const std::vector<long>& lines, long count)
{
    std::string text;
    for (const long line : lines)
        text += (text.empty() ? "" : ", ") + std::to_string(line);
    return count > static_cast<long>(lines.size()) ? text + ", ..." : text;
}

void Report(const ScanJournalContents& c, const CVespiraDoc& doc, const char* out)
{
    std::printf("%s: %ld of %d points received (%d x %d grid), scan begun %s, written to %s\n",
                PrintableText(c.title).c_str(), c.ReceivedPoints(), doc.PointCount(),
                c.grid.nXPoints, c.grid.nYPoints, JournalTimeText(c.began).c_str(), out);
    if (c.damagedRecords > 0)
        std::printf("%ld damaged record%s left out (line%s %s).\n", c.damagedRecords,
                    c.damagedRecords == 1 ? " was" : "s were", c.damagedRecords == 1 ? "" : "s",
                    Lines(c.damagedLines, c.damagedRecords).c_str());
    if (c.tornTail)
        std::printf("The journal's last record was incomplete and is left out.\n");
    if (c.stopped)
        std::printf("The journal stopped early (%s): the scan may have gone on after it.\n",
                    PrintableText(c.stopReason).c_str());
}

} // namespace

int RecoverCommand(CVespiraDoc& doc, int argc, char** argv)
{
    std::vector<const char*> paths;
    bool force = false;
    bool remove = false;
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--force")
            force = true;
        else if (word == "--remove")
            remove = true;
        else
            paths.push_back(argv[i]);
    }
    if (paths.size() != 2) {
        std::fprintf(stderr, "Usage: vespira-rad %s", kRecoverUsage + 2);
        return 2;
    }
    const char* path = paths[0];
    const char* out = paths[1];
    if (SameFile(path, out)) {
        Fail(std::string(out) + " is the journal itself: name another file for the pattern");
        return 1;
    }
    struct stat existing
    {};
    if (!force && ::lstat(out, &existing) == 0) {
        Fail(std::string(out) + " exists; add --force to replace it");
        return 1;
    }

    CJournalFile file;
    std::string error;
    switch (CJournalFile::Open(path, file, error)) {
    case CJournalFile::Result::Ok:
        break;
    case CJournalFile::Result::InUse:
        // Its scan is still coming in: taking it would lose what follows.
        Fail(std::string(path) + " is being written by a running Vespira");
        return 1;
    case CJournalFile::Result::Failed:
        Fail(error);
        return 1;
    }
    std::string text;
    if (!file.ReadAll(text, error)) {
        Fail(error);
        return 1;
    }
    ScanJournalContents contents;
    switch (ReadScanJournal(text, contents)) {
    case JournalReadResult::Ok:
        break;
    case JournalReadResult::Foreign:
        Fail(std::string(path) + " is not a scan journal");
        return 1;
    case JournalReadResult::NoScan:
        Fail(std::string(path) + " holds no scan" +
             (contents.damagedRecords > 0 ? " (its start record is damaged)" : ""));
        return 1;
    }
    if (!RestoreScanJournal(contents, doc)) {
        Fail(std::string("the grid of ") + path + " does not fit in memory");
        return 1;
    }
    if (!doc.OnSaveDocument(QByteArray(out))) {
        Fail(std::string("cannot write ") + out + ": " +
             doc.SaveError().toLocal8Bit().toStdString());
        return 1;
    }
    Report(contents, doc, out);
    if (!remove) {
        std::printf("The journal stays at %s; remove it with --remove once %s is checked.\n", path,
                    out);
        return 0;
    }
    if (!file.Remove(error)) {
        Fail(error + "; the pattern is written to " + out);
        return 1;
    }
    std::printf("The journal %s is removed.\n", path);
    return 0;
}
