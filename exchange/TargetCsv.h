#pragma once

#include "document/CVespiraDoc.h"

#include <QByteArray>

#include <string>
#include <string_view>
#include <vector>

// Target lists as CSV: a header line "x_mm,y_mm,time_s", then one target a line, in the
// order the targets are listed (row 0 first, left to right within a row).

inline constexpr char kTargetCsvHeader[] = "x_mm,y_mm,time_s";

// The list of the pattern's targets. X and Y carry the decimals of their axis,
// the time the fewest digits that read back as the same single-precision value.
std::string TargetCsvText(const CVespiraDoc& doc);

// Decimals that write every grid position of an axis exactly: those of its step, or those
// of its origin (X beginning, Y end) where it has more; with the step's alone, a grid
// from -31.75 by 0.1 would list its points half a step off.
int AxisDecimals(float step, float origin);

// A scan time with the fewest digits that read back as the same single-precision value.
std::string ScanTimeText(float time);

// Writes the list through a temporary file, so a failed write leaves an old file as it
// was. False when it could not be written.
bool WriteTargetCsv(const CVespiraDoc& doc, const QByteArray& path);

// One line of a list that cannot be used, and why.
struct CsvProblem
{
    int line = 0;
    std::string text;
};

// A list read against a pattern's grid: each row placed on its grid point by the point
// rule, its time checked by the scan-time rule.
struct TargetImport
{
    // False when the file is not a target list at all (no header line): nothing of it can
    // be taken.
    bool isList = false;
    // The rows that can be applied, in the order of the file.
    std::vector<PointTime> targets;
    std::vector<CsvProblem> problems;
};

// Reads list text. Blank lines are skipped; a field may be quoted; a row that is
// malformed, lies outside the grid, has a time the scan-time rule refuses or names a grid
// point an earlier row took is a problem of its line.
TargetImport ParseTargetCsv(const CVespiraDoc& doc, std::string_view text);

// Reads a list file: false (with the reason in `error`) when it cannot be read.
bool ReadTargetCsvFile(const QByteArray& path, std::string& text, std::string& error);

// The problems for a message: one line each, the first `limit` of them and a count of the
// rest.
std::string DescribeProblems(const std::vector<CsvProblem>& problems, std::size_t limit = 20);

// The rows of an import added to the pattern's targets, as one change.
void ApplyTargetImport(CVespiraDoc& doc, const TargetImport& import);
