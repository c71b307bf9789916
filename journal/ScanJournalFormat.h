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
// Floats are written in their shortest exact form; texts last on their line, with
// '%', control characters and bytes above 126 as %XX.

inline constexpr char kJournalVersionLine[] = "VESPIRA SCAN JOURNAL 1\n";
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

struct JournalPoint
{
    int col = 0;
    int row = 0;
    std::int32_t value = 0;
};

struct ScanJournalContents
{
    std::time_t began = 0;
    std::string title;
    ScanGrid grid;
    MeasurementHeader header;
    std::vector<JournalPoint> points; // in arrival order; a later one wins
    // Bytes up to the end of the last good record: where appending may go on.
    std::size_t validLength = 0;
    // Something followed the last good record: a torn last record, or damage.
    bool tornTail = false;

    // Grid points that received a value (a point sent twice counts once).
    long ReceivedPoints() const;
};

enum class JournalReadResult
{
    Ok,
    Foreign, // no version line: not a journal of this program
    NoScan   // a journal without a complete start record
};

JournalReadResult ReadScanJournal(std::string_view text, ScanJournalContents& contents);

// Rebuilds the pattern in doc: the grid, the stamps of the scan's start, the header and
// exactly the received intensities; no targets, never saved, modified. False when the
// grid cannot be set up.
bool RestoreScanJournal(const ScanJournalContents& contents, CVespiraDoc& doc);
