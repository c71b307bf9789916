#pragma once

#include <cstdint>

class CVespiraDoc;

// What the instrument link and the documents tell the scan journal, so that a scan
// survives the program's death. The program has one; without it nothing is journaled.
class IScanJournal
{
public:
    virtual ~IScanJournal() = default;

    // NEWIMAGE made doc: a new journal with its grid and title. Any other scan is over.
    virtual void ScanStarted(const CVespiraDoc& doc) = 0;
    // A point was stored at column col, row row.
    virtual void PointStored(const CVespiraDoc& doc, int col, int row, std::int32_t value) = 0;
    // The measurement or background fields changed.
    virtual void HeaderChanged(const CVespiraDoc& doc) = 0;
    // A file was read into doc: grid, intensities and header may all be new.
    virtual void PatternReplaced(const CVespiraDoc& doc) = 0;
    // ENDCOLLECT: what was received goes to the disk now.
    virtual void ScanEnded(const CVespiraDoc& doc) = 0;
    // Saved: once its scan is over, the journal is no longer needed.
    virtual void DocumentSaved(const CVespiraDoc& doc) = 0;
    // Closed by the user (after the save question): the journal goes.
    virtual void DocumentClosed(const CVespiraDoc& doc) = 0;
    // Destroyed without a close (the program is going): the journal stays.
    virtual void DocumentDestroyed(const CVespiraDoc& doc) = 0;
};
