#include "journal/CScanJournal.h"

#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

void Warn(const std::string& text)
{
    std::fprintf(stderr, "vespira: %s\n", text.c_str());
    std::fflush(stderr);
}

} // namespace

CScanJournal::CScanJournal(IHostUi& ui, QString folder) : m_ui(ui), m_folder(std::move(folder)) {}

CScanJournal::~CScanJournal() = default;

QString CScanJournal::DefaultFolder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // Relative values are to be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/vespira");
}

bool CScanJournal::MakeFolder(std::string& error) const
{
    const QString parent = QFileInfo(m_folder).absolutePath();
    if (!QDir().mkpath(parent)) {
        error = "cannot create " + Local(parent);
        return false;
    }
    const std::string folder = Local(m_folder);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = SystemError("cannot create " + folder);
        return false;
    }
    struct stat info
    {};
    if (::lstat(folder.c_str(), &info) != 0) {
        error = SystemError("cannot use " + folder);
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        error = folder + " is not a folder of your own";
        return false;
    }
    if ((info.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
        error = SystemError("cannot make " + folder + " private");
        return false;
    }
    return true;
}

CScanJournal::Entry* CScanJournal::Find(const CVespiraDoc& doc)
{
    for (Entry& entry : m_entries)
        if (entry.doc == &doc)
            return &entry;
    return nullptr;
}

std::string CScanJournal::PathOf(const CVespiraDoc& doc) const
{
    for (const Entry& entry : m_entries)
        if (entry.doc == &doc)
            return entry.writer->Path();
    return {};
}

void CScanJournal::Forget(const CVespiraDoc& doc, bool removeFile)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&doc](const Entry& e) { return e.doc == &doc; });
    if (it == m_entries.end())
        return;
    if (removeFile)
        it->writer->Remove();
    m_entries.erase(it);
}

void CScanJournal::TurnOff(const CVespiraDoc& doc, const std::string& reason)
{
    // A partial journal would later claim to be the whole scan: it goes.
    Forget(doc, true);
    m_ui.ShowNotice(QStringLiteral("Scan journal off: ") + QString::fromLocal8Bit(reason));
}

void CScanJournal::Append(Entry& entry, std::string_view records)
{
    if (!entry.writer->Append(records))
        TurnOff(*entry.doc, entry.writer->Error());
}

void CScanJournal::ScanStarted(const CVespiraDoc& doc)
{
    for (Entry& entry : m_entries)
        entry.scanOver = true;
    Forget(doc, true);

    std::string error;
    if (!MakeFolder(error)) {
        TurnOff(doc, error);
        return;
    }
    const std::time_t began = std::time(nullptr);
    char stamp[32] = "";
    std::tm utc{};
    gmtime_r(&began, &utc);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    // The name tells when and by whom; a journal a program of the same process id left in
    // the same second keeps its own.
    std::string path;
    do {
        path = Local(m_folder) + "/scan-" + stamp + "-" + std::to_string(::getpid()) + "-" +
               std::to_string(++m_nSequence) + kJournalSuffix;
    } while (::access(path.c_str(), F_OK) == 0);
    CJournalFile file;
    if (CJournalFile::Create(path, file, error) != CJournalFile::Result::Ok) {
        TurnOff(doc, error);
        return;
    }
    Entry entry;
    entry.doc = &doc;
    entry.began = began;
    entry.title = doc.GetName().toStdString();
    entry.writer = std::make_unique<CJournalWriter>(std::move(file));
    m_entries.push_back(std::move(entry));
    Entry& added = m_entries.back();
    Append(added, StartRecord(began, doc, added.title) + HeaderRecord(doc));
}

void CScanJournal::PointStored(const CVespiraDoc& doc, int col, int row, std::int32_t value)
{
    if (Entry* entry = Find(doc)) {
        char record[kPointRecordMax];
        Append(*entry, std::string_view(record, PointRecord(record, col, row, value)));
    }
}

void CScanJournal::HeaderChanged(const CVespiraDoc& doc)
{
    if (Entry* entry = Find(doc))
        Append(*entry, HeaderRecord(doc));
}

void CScanJournal::PatternReplaced(const CVespiraDoc& doc)
{
    if (Entry* entry = Find(doc))
        Append(*entry, SnapshotRecords(entry->began, doc, entry->title));
}

void CScanJournal::ScanEnded(const CVespiraDoc& doc)
{
    if (Entry* entry = Find(doc)) {
        entry->scanOver = true;
        if (!entry->writer->Sync())
            TurnOff(doc, entry->writer->Error());
    }
}

void CScanJournal::DocumentSaved(const CVespiraDoc& doc)
{
    if (const Entry* entry = Find(doc); entry != nullptr && entry->scanOver)
        Forget(doc, true);
}

void CScanJournal::DocumentClosed(const CVespiraDoc& doc)
{
    Forget(doc, true);
}

void CScanJournal::DocumentDestroyed(const CVespiraDoc& doc)
{
    Forget(doc, false);
}

std::vector<CScanJournal::Unfinished> CScanJournal::FindUnfinished()
{
    std::vector<Unfinished> found;
    const QDir dir(m_folder);
    const QStringList names = dir.entryList({QStringLiteral("*") + QLatin1String(kJournalSuffix)},
                                            QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const std::string path = Local(dir.filePath(name));
        Unfinished journal;
        std::string error;
        const CJournalFile::Result opened = CJournalFile::Open(path, journal.file, error);
        if (opened == CJournalFile::Result::InUse)
            continue; // a running program writes it
        std::string text;
        if (opened == CJournalFile::Result::Failed || !journal.file.ReadAll(text, error)) {
            Warn("ignoring " + error);
            continue;
        }
        switch (ReadScanJournal(text, journal.contents)) {
        case JournalReadResult::Ok:
            found.push_back(std::move(journal));
            break;
        case JournalReadResult::Foreign:
            Warn("ignoring " + path + ": not a scan journal");
            break;
        case JournalReadResult::NoScan:
            Warn("ignoring " + path + ": no scan in it");
            break;
        }
    }
    return found;
}

bool CScanJournal::Adopt(const CVespiraDoc& doc, Unfinished&& journal)
{
    std::string error;
    // What follows the last good record would spoil the records appended after it.
    if (!journal.file.CutAt(static_cast<long long>(journal.contents.validLength), error)) {
        Warn(error);
        return false;
    }
    Forget(doc, true);
    Entry entry;
    entry.doc = &doc;
    entry.began = journal.contents.began;
    entry.title = journal.contents.title;
    entry.writer = std::make_unique<CJournalWriter>(std::move(journal.file));
    entry.scanOver = true;
    m_entries.push_back(std::move(entry));
    return true;
}
