#pragma once

class CVespiraDoc;

// The commands on target lists and the exchange formats; each returns the exit status.

// The usage lines of these commands.
extern const char kExchangeUsage[];

// `targets IN [--csv OUT | --import LIST OUT [--partial]]`.
int TargetsCommand(CVespiraDoc& doc, int argc, char** argv);

// True when OUT of `export IN OUT` names one of the formats below.
bool IsExchangeExport(const char* out);
// `export IN OUT.nxs|.h5|.tif`.
int ExportFormat(CVespiraDoc& doc, const char* in, const char* out);

// Reads a pattern file or a NeXus map (told apart by the file's signature); prints why
// not and returns false when it cannot.
bool ReadPatternOrMap(CVespiraDoc& doc, const char* path);
