#pragma once

#include "document/MeasurementHeader.h"
#include "document/ScanGrid.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

class CVespiraDoc;

// The scan journal: a text file that lets a scan be rebuilt after the program died.
// A version line, then one record a line: eight hex digits of the CRC-32 of the rest
// of the line, a space, a record letter and its fields.
//   S began nX nY xBeg xEnd xInc yBeg yEnd yInc title   a scan (or a loaded pattern)
//   H measurement and background fields, background file last
//   P column row intensity                              one stored point
//   X reason                                            nothing was written after this
// Floats are written in their shortest exact form; texts last on their line, with
// '%', control characters and bytes above 126 as %XX.
//
// Version 2 has the same records as version 1 and adds X; a loaded pattern replaces the
// whole file instead of being appended. The new version line keeps a program of version
// 1 from taking a journal of this one for its own (it leaves it alone as foreign);
// journals of version 1 are read as they are.

inline constexpr char kJournalVersionLine[] = "VESPIRA SCAN JOURNAL 2\n";
inline constexpr char kJournalVersion1Line[] = "VESPIRA SCAN JOURNAL 1\n";
inline constexpr char kJournalSuffix[] = ".journal";

std::uint32_t Crc32(std::string_view bytes);

// The header fields the measurement and background parameters set.

// Records, each a whole line with its checksum.
// title: the pattern's own, not the collection progress its caption shows meanwhile.
std::string StartRecord(std::time_t began, const CVespiraDoc& doc, std::string_view title);
std::string HeaderRecord(const CVespiraDoc& doc);
// The hot path of a scan: into a caller's buffer, returning the length.
inline constexpr std::size_t kPointRecordMax = 64;
std::size_t PointRecord(char (&out)[kPointRecordMax], int col, int row, std::int32_t value);
// The whole pattern as it is now: a start record, the header and every point that is
// not 0 (a loaded file replaced everything).
std::string SnapshotRecords(std::time_t began, const CVespiraDoc& doc, std::string_view title);
// The last record of a journal that could not be written on: why.
std::string StopRecord(std::string_view reason);

struct JournalPoint
{
    int col = 0;
    int row = 0;
    std::int32_t value = 0;
};

struct ScanJournalContents
{
    int version = 0;
    std::time_t began = 0;
    std::string title;
    ScanGrid grid;
    MeasurementHeader header;
    std::vector<JournalPoint> points; // in arrival order; a later one wins
    // Bytes up to the end of the last whole line: where appending may go on.
    std::size_t validLength = 0;
    // The last line never got its line end and does not check: a record cut short.
    bool tornTail = false;
    // Whole lines that could not be taken: a checksum that does not fit, fields that do
    // not make a record, or records that belong to no scan that could be read. Each is
    // left out; the records around it are kept.
    long damagedRecords = 0;
    // Line numbers (the version line is 1) of the first damaged records.
    std::vector<long> damagedLines;
    static constexpr std::size_t kDamagedLinesKept = 10;
    // The program stopped writing the journal (an X record), and why: the scan may have
    // gone on after its last record.
    bool stopped = false;
    std::string stopReason;

    // Grid points that received a value (a point sent twice counts once).
    long ReceivedPoints() const;
};

enum class JournalReadResult
{
    Ok,
    Foreign, // no version line this program reads: not one of its journals
    NoScan   // a journal without a start record that can be read
};

JournalReadResult ReadScanJournal(std::string_view text, ScanJournalContents& contents);

// Rebuilds the pattern in doc: the grid, the stamps of the scan's start, the header and
// exactly the received intensities; no targets, never saved, modified. False when the
// grid cannot be set up.
bool RestoreScanJournal(const ScanJournalContents& contents, CVespiraDoc& doc);

// "YYYY-MM-DD HH:MM:SS UTC" of a journal's start, or "unknown" for a time no journal can
// have been begun at (before 1970 or after 9999).
std::string JournalTimeText(std::time_t when);

// Text from a journal (a title, a reason) made safe to show on a terminal: control
// characters, and bytes that are not UTF-8, as \xNN (or \u00NN for the C1 controls);
// everything else as it is.
std::string PrintableText(std::string_view text);
