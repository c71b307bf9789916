#pragma once

#include "document/IScanJournal.h"
#include "journal/CJournalFolder.h"
#include "journal/CJournalWriter.h"
#include "journal/ScanJournalFormat.h"

#include <QString>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

class IHostUi;

// The program's scan journals: one file for each pattern made by NEWIMAGE, in a folder
// of its own, from the scan's start until the pattern is saved after its scan ended or
// closed. When a journal cannot be made or written the scan goes on without it: what it
// holds stays, marked as stopped, and the user is told once, with the reason.
class CScanJournal : public IScanJournal
{
public:
    explicit CScanJournal(IHostUi& ui, QString folder = DefaultFolder());
    ~CScanJournal() override;
    CScanJournal(const CScanJournal&) = delete;
    CScanJournal& operator=(const CScanJournal&) = delete;

    // $XDG_STATE_HOME/vespira, or ~/.local/state/vespira.
    static QString DefaultFolder();
    QString Folder() const { return m_folder; }

    void ScanStarted(const CVespiraDoc& doc) override;
    void PointStored(const CVespiraDoc& doc, int col, int row, std::int32_t value) override;
    void HeaderChanged(const CVespiraDoc& doc) override;
    void PatternReplaced(const CVespiraDoc& doc) override;
    void ScanEnded(const CVespiraDoc& doc) override;
    void DocumentSaved(const CVespiraDoc& doc) override;
    void DocumentClosed(const CVespiraDoc& doc) override;
    void DocumentDestroyed(const CVespiraDoc& doc) override;

    // A journal left by a program that is no longer running.
    struct Unfinished
    {
        std::string name;
        std::string path;
        ScanJournalContents contents;
    };
    // The folder's unfinished journals, oldest first. Files that are not journals or hold
    // no scan are left alone, with one line on standard error each; a folder that fails
    // the checks of a private folder is not read, and the user is told why.
    std::vector<Unfinished> FindUnfinished();
    // doc, restored from journal, takes it over (renamed to a name of this program) and
    // keeps it until it is saved or closed; its scan is over. False when it cannot be
    // taken over (a read-only folder, or another program took it first; error says why):
    // it stays as it is.
    bool Adopt(const CVespiraDoc& doc, Unfinished&& journal, std::string& error);
    // The journal goes; false (and why) when it cannot be removed.
    bool Discard(const Unfinished& journal, std::string& error);

    // The journal file of doc; empty when it has none.
    std::string PathOf(const CVespiraDoc& doc) const;

private:
    struct Entry
    {
        const CVespiraDoc* doc = nullptr;
        std::time_t began = 0;
        std::string title;
        CJournalWriter::Id id = 0;
        bool scanOver = false;
        bool stopped = false;
    };

    Entry* Find(const CVespiraDoc& doc);
    const Entry* Find(const CVespiraDoc& doc) const;
    CJournalWriter& Writer();
    void Append(Entry& entry, std::string_view records);
    // The scan goes on without a journal: none could be made.
    void TurnOff(const std::string& reason);
    // The journal takes nothing more: what it holds stays, marked as stopped.
    void StopJournal(Entry& entry);
    void Forget(const CVespiraDoc& doc, bool removeFile);

    IHostUi& m_ui;
    QString m_folder;
    CJournalFolder m_dir;
    std::unique_ptr<CJournalWriter> m_pWriter;
    std::vector<Entry> m_entries;
};
