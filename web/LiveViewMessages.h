#pragma once

#include "display/ColourSettings.h"
#include "document/Colour.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

class CVespiraDoc;

// How the program draws every pattern now: the page draws it alike.
struct LiveViewLook
{
    int orientation = 0;
    bool overlay = true;
    COLORREF selection = 0;
    COLORREF activeTarget = 0;
    COLORREF notMeasured = kNotMeasuredColour;
    bool operator==(const LiveViewLook&) const = default;
};

// The progress of the scan, as the page shows it under the pattern.
struct LiveProgress
{
    bool live = false;       // the shown pattern receives the scan
    long long received = 0;  // points of the grid received
    long long total = 0;     // points of the grid
    double rate = 0.0;       // points per second over the last seconds; 0 while unknown
    long long endMsecs = -1; // estimated end, ms since the epoch; -1 while unknown
    bool marker = false;     // the cell being collected
    int markerCol = 0;
    int markerRow = 0;
    bool operator==(const LiveProgress&) const = default;
};

struct LivePatternEntry
{
    int id = 0;
    QString title;
    bool live = false;
    bool operator==(const LivePatternEntry&) const = default;
};

// The messages of the page's socket. Text messages are JSON objects with a "type";
// binary messages start with a 16-byte header: kind (1 byte), flags (1 byte), 2 zero
// bytes, the pattern id (uint32) and a time in ms since the epoch (int64), all
// little-endian.
namespace LiveMessage {

// The cells in the runs of either kind are measured.
inline constexpr std::uint8_t kCells = 1;     // runs of cells: start, count, int32 values
inline constexpr std::uint8_t kTargets = 2;   // count, then the indices of the target cells
inline constexpr std::uint8_t kResetFlag = 1; // every cell not in the runs is 0
// With the reset: every cell not in the runs is not measured yet, rather than a measured 0.
inline constexpr std::uint8_t kUnmeasuredFlag = 2;
inline constexpr int kHeaderSize = 16;

// The list of open patterns, the viewer's own choice among them (0: follows the scan).
QByteArray Patterns(const std::vector<LivePatternEntry>& patterns, int chosen);
// The pattern's id, title, grid, axis texts and the X and Y text of every column and row.
QByteArray Pattern(int id, const CVespiraDoc& doc, int orientation);
// The pattern's new title.
QByteArray Title(int id, const QString& title);
// Nothing to show: no pattern is open.
QByteArray NoPattern();
// The colour table, the intensity range and the look.
QByteArray Colours(const CVespiraDoc& doc, const LiveViewLook& look);
QByteArray Progress(const LiveProgress& progress);

// The cells at the sorted, distinct indices, their values read from the document now.
// An index outside the grid is left out.
QByteArray Cells(int id, const CVespiraDoc& doc, std::span<const std::uint32_t> indices,
                 long long oldestMsecs);
// Every cell after a reset: the runs of those not 0, or of those measured while the scan
// has not measured every cell.
QByteArray AllCells(int id, const CVespiraDoc& doc, long long nowMsecs);
QByteArray Targets(int id, const CVespiraDoc& doc);

} // namespace LiveMessage
