#include "journal/CScanJournal.h"

#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"

#include <QDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

void Warn(const std::string& text)
{
    std::fprintf(stderr, "vespira: %s\n", text.c_str());
    std::fflush(stderr);
}

QString Text(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}

} // namespace

CScanJournal::CScanJournal(IHostUi& ui, QString folder)
    : m_ui(ui), m_folder(std::move(folder)), m_dir(QFile::encodeName(m_folder).toStdString())
{}

CScanJournal::~CScanJournal() = default;

QString CScanJournal::DefaultFolder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // Relative values are to be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/vespira");
}

CJournalWriter& CScanJournal::Writer()
{
    if (!m_pWriter)
        m_pWriter = std::make_unique<CJournalWriter>(m_dir);
    return *m_pWriter;
}

CScanJournal::Entry* CScanJournal::Find(const CVespiraDoc& doc)
{
    for (Entry& entry : m_entries)
        if (entry.doc == &doc)
            return &entry;
    return nullptr;
}

const CScanJournal::Entry* CScanJournal::Find(const CVespiraDoc& doc) const
{
    return const_cast<CScanJournal*>(this)->Find(doc);
}

std::string CScanJournal::PathOf(const CVespiraDoc& doc) const
{
    const Entry* entry = Find(doc);
    return entry != nullptr ? m_pWriter->Path(entry->id) : std::string();
}

void CScanJournal::Forget(const CVespiraDoc& doc, bool removeFile)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&doc](const Entry& e) { return e.doc == &doc; });
    if (it == m_entries.end())
        return;
    const CJournalWriter::Id id = it->id;
    m_entries.erase(it);
    std::string error;
    if (!removeFile)
        Writer().Release(id);
    else if (!Writer().Remove(id, error))
        m_ui.ShowNotice(QStringLiteral("The scan journal is no longer needed, but ") + Text(error) +
                        QLatin1Char('.'));
}

void CScanJournal::TurnOff(const std::string& reason)
{
    m_ui.ShowNotice(QStringLiteral("Scan journal off: ") + Text(reason) +
                    QStringLiteral(".\nThe scan goes on without a journal: should Vespira end "
                                   "before its pattern is saved, the scan is lost."));
}

void CScanJournal::StopJournal(Entry& entry)
{
    if (entry.stopped)
        return;
    entry.stopped = true;
    const std::string reason = Writer().Error(entry.id);
    // What it holds is valid up to its last whole record; the mark tells a later reader
    // that the scan may have gone on after it. It fits in the room the writer keeps.
    Writer().Stop(entry.id, StopRecord(reason.substr(0, 600)));
    m_ui.ShowNotice(QStringLiteral("Scan journal off: ") + Text(reason) +
                    QStringLiteral(".\nThe points received until then stay in %1; the scan goes "
                                   "on without a journal.")
                        .arg(Text(Writer().Path(entry.id))));
}

void CScanJournal::Append(Entry& entry, std::string_view records)
{
    if (!entry.stopped && !Writer().Append(entry.id, records))
        StopJournal(entry);
}

void CScanJournal::ScanStarted(const CVespiraDoc& doc)
{
    for (Entry& entry : m_entries)
        entry.scanOver = true;
    Forget(doc, true);

    std::string error;
    if (!m_dir.OpenToWrite(error)) {
        TurnOff(error);
        return;
    }
    Entry entry;
    entry.doc = &doc;
    entry.began = std::time(nullptr);
    entry.title = doc.GetName().toStdString();
    entry.id =
        Writer().Create(m_dir.NewJournalName(entry.began),
                        StartRecord(entry.began, doc, entry.title) + HeaderRecord(doc), error);
    if (entry.id == 0) {
        TurnOff(error);
        return;
    }
    m_entries.push_back(std::move(entry));
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
    Entry* entry = Find(doc);
    if (entry != nullptr && !entry->stopped &&
        !Writer().Replace(entry->id, SnapshotRecords(entry->began, doc, entry->title)))
        StopJournal(*entry);
}

void CScanJournal::ScanEnded(const CVespiraDoc& doc)
{
    if (Entry* entry = Find(doc)) {
        entry->scanOver = true;
        if (!entry->stopped && !Writer().Sync(entry->id))
            StopJournal(*entry);
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
    std::string error;
    if (!m_dir.OpenToRead(error)) {
        if (!error.empty())
            m_ui.ShowNotice(QStringLiteral("Scans left when Vespira last ended cannot be "
                                           "looked for: ") +
                            Text(error) + QLatin1Char('.'));
        return found;
    }
    m_dir.Sweep();
    for (const std::string& name : m_dir.JournalNames()) {
        const CJournalFolder::Use use = m_dir.UseOf(name);
        if (use == CJournalFolder::Use::Running)
            continue;
        if (use == CJournalFolder::Use::Ours &&
            std::any_of(m_entries.begin(), m_entries.end(), [this, &name](const Entry& entry) {
                return m_pWriter->Name(entry.id) == name;
            }))
            continue;
        const std::string path = m_dir.PathOf(name);
        std::string text;
        if (!m_dir.Read(name, text, error)) {
            Warn("ignoring " + error);
            continue;
        }
        Unfinished journal;
        switch (ReadScanJournal(text, journal.contents)) {
        case JournalReadResult::Ok:
            break;
        case JournalReadResult::Foreign:
            Warn("ignoring " + path + ": not a scan journal");
            continue;
        case JournalReadResult::NoScan:
            Warn("ignoring " + path + ": no scan in it" +
                 (journal.contents.damagedRecords > 0 ? " (its start record is damaged)" : ""));
            continue;
        }
        journal.name = name;
        journal.path = path;
        found.push_back(std::move(journal));
    }
    return found;
}

bool CScanJournal::Adopt(const CVespiraDoc& doc, Unfinished&& journal, std::string& error)
{
    std::string taken;
    switch (m_dir.TakeOver(journal.name, taken, error)) {
    case CJournalFolder::Take::Ok:
        break;
    case CJournalFolder::Take::Gone:
        error = journal.path + " was taken by another program meanwhile";
        return false;
    case CJournalFolder::Take::ReadOnly:
    case CJournalFolder::Take::Failed:
        return false;
    }
    Forget(doc, true);
    Entry entry;
    entry.doc = &doc;
    entry.began = journal.contents.began;
    entry.title = journal.contents.title;
    entry.id = Writer().Continue(taken, error);
    entry.scanOver = true;
    if (entry.id == 0)
        return false;
    m_entries.push_back(std::move(entry));
    return true;
}

bool CScanJournal::Discard(const Unfinished& journal, std::string& error)
{
    // Taken over first, so a journal another program took meanwhile is never removed.
    std::string taken;
    switch (m_dir.TakeOver(journal.name, taken, error)) {
    case CJournalFolder::Take::Ok:
        return m_dir.Remove(taken, error);
    case CJournalFolder::Take::Gone:
        error = journal.path + " was taken by another program meanwhile";
        return false;
    case CJournalFolder::Take::ReadOnly:
    case CJournalFolder::Take::Failed:
        break;
    }
    return m_dir.Remove(journal.name, error);
}
