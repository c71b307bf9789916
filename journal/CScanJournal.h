#pragma once

#include "document/IScanJournal.h"
#include "journal/CJournalFile.h"
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
// closed. When a journal cannot be written the scan goes on without it and the status
// bar says so once; nothing else changes.
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

    // A journal left by a program that is no longer running, locked by this one now.
    struct Unfinished
    {
        CJournalFile file;
        ScanJournalContents contents;
    };
    // The folder's unfinished journals, oldest first. Files that are not journals or
    // hold no scan are left alone, with one line on standard error each.
    std::vector<Unfinished> FindUnfinished();
    // doc, restored from journal, keeps it until it is saved or closed; its scan is over.
    bool Adopt(const CVespiraDoc& doc, Unfinished&& journal);

    // The journal file of doc; empty when it has none.
    std::string PathOf(const CVespiraDoc& doc) const;

private:
    struct Entry
    {
        const CVespiraDoc* doc = nullptr;
        std::time_t began = 0;
        std::string title;
        std::unique_ptr<CJournalWriter> writer;
        bool scanOver = false;
    };

    Entry* Find(const CVespiraDoc& doc);
    void Append(Entry& entry, std::string_view records);
    // The journal of doc is given up: its file goes and the status bar tells why.
    void TurnOff(const CVespiraDoc& doc, const std::string& reason);
    void Forget(const CVespiraDoc& doc, bool removeFile);
    bool MakeFolder(std::string& error) const;

    IHostUi& m_ui;
    QString m_folder;
    std::vector<Entry> m_entries;
    int m_nSequence = 0;
};
