#pragma once

#include "Colour.h"

#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

// Results of ReadLookupTable.
enum LookupTableResult
{
    kLutDone = 0,
    kLutNoDirectory = -1,
    kLutCannotOpen = -2,
    kLutNoHeader = -3,
    kLutShort = -4,
};

// The look-up-table directory from "ORMA$SYSDATA:" (ORMA_SYSDATA when shells cannot set
// the first), always ending in '/'; none when neither is set or the value is empty.
std::optional<std::string> LookupTableDirectory();

// Reads the 64 colours of a look-up-table file from the directory into entries 4k to
// 4k + 3 of the table. Two leading lines are skipped; each colour line gives red, green and
// blue (missing numbers are 0, only the low 8 bits count). Returns a LookupTableResult; on
// kLutShort the colours read so far have been stored, on the other failures nothing.
int ReadLookupTable(std::string_view fileName, ColourTable& table);
// The same with the directory given, for callers that have already resolved it.
int ReadLookupTableFrom(const std::string& directory, std::string_view fileName,
                        ColourTable& table);

// Names of the "*.lut" files in the directory (any case of the extension), sorted without
// regard to case as a sorted list box shows them; empty without a directory.
QStringList ListLookupTables();
