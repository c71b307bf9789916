#pragma once

#include "base/FilePath.h"

#include <QByteArray>

class CVespiraDoc;

// The whole pattern as CSV: a header line, then one row per grid point, row 0 first:
// column, row, X, Y (with their axis' decimals), intensity and scan time.

inline constexpr char kPatternCsvHeader[] = "column,row,x,y,intensity,scan_time";

// Hands the text to `write` in pieces of about a megabyte, so a grid of any size is
// never held whole; false as soon as a piece was not written.
bool WritePatternCsvText(const CVespiraDoc& doc, const ByteWriter& write);

// Writes the text through a temporary file, so a failed write leaves an old file as it
// was; false, errno telling why, when it could not be written.
bool WritePatternCsv(const CVespiraDoc& doc, const QByteArray& path);
