#pragma once

#include "document/Colour.h"

#include <QStringList>

#include <cstdio>
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
// the first), always ending in '/'. When neither is set, or the value is empty, the
// bundled tables' folder of the running program; none when that does not exist either.
std::optional<std::string> LookupTableDirectory();

// The bundled tables' folder of a program in programDir: share/vespira/lut beside its bin
// folder when installed, and the build tree's copy beside app/ in a build. Ends in '/';
// none when the folder does not exist.
std::optional<std::string> BundledLookupTableDirectory(const QString& programDir);

// Reads the 64 colours of a look-up-table file from the directory into entries 4k to
// 4k + 3 of the table. Two leading lines are skipped; each colour line gives red, green and
// blue (missing numbers are 0, only the low 8 bits count). Returns a LookupTableResult; on
// kLutShort the colours read so far have been stored, on the other failures nothing.
int ReadLookupTable(std::string_view fileName, ColourTable& table);
// The same with the directory given, for callers that have already resolved it.
int ReadLookupTableFrom(const std::string& directory, std::string_view fileName,
                        ColourTable& table);

// The file's text from an open file: kLutNoHeader, kLutShort or kLutDone as above.
int ReadLookupTableStream(std::FILE* file, ColourTable& table);

// Names of the "*.lut" files in the directory (any case of the extension), sorted without
// regard to case as a sorted list box shows them; empty without a directory.
QStringList ListLookupTables();
